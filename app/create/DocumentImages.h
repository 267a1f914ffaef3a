#pragma once
// The images of a rich-text document as the editors and the PDF exporter see them: a character
// whose format is an image format (an object character), named by the path of its file, or by a
// local file URL when the HTML came from elsewhere.

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextFragment>

class QTextCharFormat;
class QTextDocument;

namespace DocumentImages {

// The format of an image character.
bool IsImage(const QTextCharFormat& format);

// The local file an image name stands for: the name itself, or the path of a file URL.
QString FilePath(const QString& name);

// The valid image fragments of the document, in order. A fragment holds one character per
// image: identical images side by side share one.
QList<QTextFragment> Fragments(const QTextDocument& document);

// The file of every image character, in order, duplicates kept.
QStringList FilePaths(const QTextDocument& document);

} // namespace DocumentImages
