#pragma once
// The Create New PDF tool: a rich-text editor for paragraphs in Courier and Times New Roman at
// thirteen sizes, bold (weight 75; plain text is weight 10), italic, left, centred or right
// aligned, and images, kept as a project file (".cnp", the editor's HTML in UTF-8) and exported
// to PDF through RichTextPDFExporter or to HTML. MainWindow builds it once, with no parent, and
// shows it on demand; an accepted close resets it to an empty document.
//
// Images never point at the file the user picked: each one is stored twice in the image store
// (EditorImageStore), as a re-encoded original and as the resized copy the document shows, stands
// in a paragraph of its own, and is resized from its original. Image files made while editing are
// deleted only when the document is discarded (New, Load, close), and only those that no project
// saved or loaded meanwhile refers to, so Undo never brings back an image without its file.
// Every file and message dialog goes through the prompts; files are written whole or not at all.
// GUI thread only.

#include "app/create/EditorImageStore.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <memory>

class AppIdentity;
class QAction;
class QTextDocument;
class QUrl;

namespace Ui {
class CreateNewPDFWindow;
}

class CreateNewPDFWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit CreateNewPDFWindow(QWidget* parent = nullptr);
    ~CreateNewPDFWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Keeps the user from typing next to an image: with the cursor on one, only Return, Backspace
    // and the arrow keys reach the editor.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Opens a web page; tests replace it.
    virtual void OpenUrl(const QUrl& url);

private slots:
    void ShowContextMenu(const QPoint& point);
    void ResizeImage();
    void on_buttonAlignLeft_clicked();
    void on_buttonAlignCenter_clicked();
    void on_buttonAlignRight_clicked();
    void on_buttonBold_clicked();
    void on_buttonItalic_clicked();
    void on_comboFontSize_activated(const QString& text);
    void on_comboFont_activated(const QString& text);
    void on_buttonInsertImage_clicked();
    void on_editNewPDF_cursorPositionChanged();
    void on_editNewPDF_textChanged();
    void on_buttonExportPDF_clicked();
    void on_buttonExportHTML_clicked();
    void on_actionNew_triggered();
    void on_actionLoad_triggered();
    void on_actionSave_triggered();
    void on_actionSave_As_triggered();
    void on_actionExit_triggered();
    void on_actionInsert_Image_triggered();
    void on_actionResize_Image_triggered();
    void on_actionOnline_Help_triggered();

private:
    // An empty document under the default title, without "*"; the image files the discarded
    // document made and no project refers to are deleted.
    void ResetSettings();
    QString GetProjectsFolder() const;
    // The unsaved-changes question before close, New and Load discard the document; true when
    // they may go on.
    bool MayDiscardDocument();
    // Writes the project; true once the file is complete. A document without a project file
    // goes to SaveAs.
    bool SaveProject();
    // Asks for a project path and saves there; false when cancelled or not saved.
    bool SaveProjectAs();
    // The project written to the path, which becomes the project's only once it is complete:
    // a save that failed leaves the window's project and title as they were.
    bool SaveProjectTo(const QString& path);
    void UpdateResizeImageAction();
    void UpdateAlignmentButtons();
    void UpdateFontSizeCombo();
    void UpdateStyleButtons();
    void SetAlignment(Qt::Alignment alignment);

    // ---- Images ----

    // Stores the picked file (resizeExisting false), or resizes the image under the cursor from
    // its stored original (true), at the size the user chooses, and puts it at the cursor.
    void InsertImageIntoStore(const QString& imagePath, bool resizeExisting);
    // Puts every image that shares a paragraph with anything else into a paragraph of its own.
    void KeepImagesInOwnParagraphs();
    // Deletes the discarded document's image files (see EditorImageStore::DeleteUnreferenced).
    void RemoveUnusedImages();
    // After a load: rebuilds, from their originals, the resized copies whose size no longer
    // matches the document.
    void RescaleStoredImages();
    // Sets the document's HTML again, so that it shows the image files as they are now.
    void ReloadDocument();
    // The image names of the document, in order, duplicates kept.
    QStringList DocumentImageNames() const;
    // A save-file dialog for an export, starting in the folder remembered under the key, which
    // then remembers the chosen file's folder; a name without an extension gets the suffix.
    // Empty when cancelled.
    QString ChooseExportFile(const QString& caption, const char* folderKey, const QString& filter,
                             const QString& suffix);
    // "File exported successfully." or "Could not export file.", followed by the reason when
    // one is known.
    void ReportExport(bool written, const QString& reason = QString());
    // A copy of the document as a browser is to read it: plain text in the weight Qt writes for
    // normal text.
    std::unique_ptr<QTextDocument> DocumentForBrowser() const;

    Ui::CreateNewPDFWindow* ui;
    AppIdentity* identity;
    QAction* insertImageAction;
    QAction* resizeImageAction;
    QString projectPath;
    EditorImageStore imageStore;
    bool cursorOnImage = false;
    bool resetting = false;
    bool rescalePending = false;
    bool reloading = false;
    // Raised while KeepImagesInOwnParagraphs splits paragraphs: its own edit is no user's edit.
    bool splittingParagraphs = false;
    // Raised while eventFilter hands a key press on to the editor inside an edit block.
    bool forwardingKey = false;
    // Whether the document's content or formats changed since the last text change was handled.
    bool contentChanged = false;
};
