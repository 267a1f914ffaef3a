#pragma once
// The document of both rich-text editors. Qt's own document loader would decode an image that a
// project, pasted rich text or the image store names with whatever image plugin takes it; here
// every image comes through ImageFiles instead (a local file, or the bytes of a "data:" URL), and
// one that does not pass shows as a missing image. Images at other addresses are not fetched and
// show as missing too. Loaded images are kept until the document is cleared (as Qt keeps the
// resources it is given), so a reload shows the files as they are then. GUI thread only.

#include <QStringList>
#include <QTextDocument>

class QTextEdit;

class EditorDocument : public QTextDocument {
public:
    explicit EditorDocument(QObject* parent = nullptr);

    // Gives the editor an empty document of this kind, which it owns, in the editor's font as its
    // own document had.
    static void Install(QTextEdit& editor);

    // Loads every image of the document now, as showing it would, and gives the reason why each
    // one that cannot be shown is refused, naming its file; duplicates count once.
    QStringList LoadImages();

    // What an image that cannot be shown shows: a grey frame, scaled to the image's size.
    static QImage MissingImage();

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    // The image to show for the name, kept for later looks; the reason when it was refused.
    QVariant LoadImage(const QUrl& name, QString& reason);
};
