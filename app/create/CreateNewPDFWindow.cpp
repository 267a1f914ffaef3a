#include "app/create/CreateNewPDFWindow.h"

#include "app/AppIdentity.h"
#include "app/AppSettings.h"
#include "app/ImageFiles.h"
#include "app/OutOfMemory.h"
#include "app/Prompts.h"
#include "app/SetModifiedMarker.h"
#include "app/SharedHelpers.h"
#include "app/TextFiles.h"
#include "app/create/DocumentImages.h"
#include "app/create/EditorDocument.h"
#include "app/create/HtmlExport.h"
#include "app/create/PDFPageSettingsDialog.h"
#include "app/create/ResizeImageDialog.h"
#include "app/create/RichTextPDFExporter.h"
#include "app/tools/FileIdentity.h"
#include "ui_CreateNewPDFWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

namespace {

// Plain text is weight 10 in this editor, bold exactly 75: the PDF exporter knows bold by 75.
const int scPlainWeight = 10;
const int scBoldWeight = 75;
// The size combo's entries, in its order; 12 points is the default.
const int scFontSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 32, 36};
const int scDefaultSizeIndex = 4;
const int scDefaultPointSize = 12;
const char scDefaultFamily[] = "Times New Roman";
const int scDocumentMargin = 50;
// The resolution of resized copies (96 dpi), through which the exporter turns pixels into points.
const int scDotsPerMeter = 3779;
// The size dialog's largest side: a project file asks for no larger rebuild than a user could.
const int scLargestSide = 10000;
// A project holds a document's HTML with image paths; anything larger is no project.
const qint64 scMaxProjectBytes = 64 * 1024 * 1024;
// Page sizes in points by the page settings' type.
const double scA4Width = 595;
const double scA4Height = 842;
const double scLetterWidth = 612;
const double scLetterHeight = 792;
const int scLetterPageType = 1;

QImage WithStoreResolution(QImage image)
{
    image.setDotsPerMeterX(scDotsPerMeter);
    image.setDotsPerMeterY(scDotsPerMeter);
    return image;
}

// The format of the character at a position (not the one before it, as a cursor reports).
QTextCharFormat CharFormatAt(QTextDocument* document, int position)
{
    QTextCursor cursor(document);
    cursor.setPosition(position);
    cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
    return cursor.charFormat();
}

// The name of a picked file without its extension, and its extension from the last "." of the
// file name, the dot included.
void SplitFileName(const QString& path, QString& baseName, QString& extension)
{
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    baseName = dot < 0 ? fileName : fileName.left(dot);
    extension = dot < 0 ? QString() : fileName.mid(dot);
}

} // namespace

CreateNewPDFWindow::CreateNewPDFWindow(QWidget* parent)
    : QMainWindow(parent), ui(new Ui::CreateNewPDFWindow), identity(AppIdentity::Instance()),
      insertImageAction(nullptr), resizeImageAction(nullptr)
{
    ui->setupUi(this);
    insertImageAction = new QAction(tr("Insert Image"), this);
    resizeImageAction = new QAction(tr("Resize Image"), this);
    // Its images come through the image gate, never through Qt's own loader.
    EditorDocument::Install(*ui->editNewPDF);

    for (int size : scFontSizes)
        ui->comboFontSize->addItem(QString::number(size));
    // Exactly the two families the PDF exporter maps to standard fonts.
    ui->comboFont->addItem(QStringLiteral("Courier"));
    ui->comboFont->addItem(QLatin1String(scDefaultFamily));

    ui->editNewPDF->document()->setDocumentMargin(scDocumentMargin);
    ui->editNewPDF->installEventFilter(this);
    ui->editNewPDF->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(insertImageAction, &QAction::triggered, this, &CreateNewPDFWindow::on_buttonInsertImage_clicked);
    connect(resizeImageAction, &QAction::triggered, this, &CreateNewPDFWindow::ResizeImage);
    connect(ui->editNewPDF, &QWidget::customContextMenuRequested, this, &CreateNewPDFWindow::ShowContextMenu);
    // Qt reports a text change at the end of every edit block, also of one that changed nothing
    // (a key that only moves the cursor): the document itself says whether anything changed.
    connect(ui->editNewPDF->document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed > 0 || added > 0)
            contentChanged = true;
    });
    ResetSettings();
}

CreateNewPDFWindow::~CreateNewPDFWindow()
{
    delete ui;
}

// ---- Defaults and controls ----

void CreateNewPDFWindow::ResetSettings()
{
    cursorOnImage = false;
    resetting = true;
    rescalePending = false;
    reloading = false;
    // Clearing also empties the undo history, so nothing can bring back an image deleted here.
    ui->editNewPDF->clear();
    RemoveUnusedImages();
    projectPath.clear();
    setWindowTitle(tr("Create New PDF Document"));

    ui->editNewPDF->setFontPointSize(scDefaultPointSize);
    SetEditorFontFamily(*ui->editNewPDF, QLatin1String(scDefaultFamily));
    ui->editNewPDF->setFontWeight(scPlainWeight);
    ui->editNewPDF->setFontItalic(false);
    ui->comboFontSize->setCurrentIndex(scDefaultSizeIndex);
    ui->comboFont->setCurrentText(QLatin1String(scDefaultFamily));
    ui->buttonBold->setDown(false);
    ui->buttonItalic->setDown(false);

    UpdateResizeImageAction();
    SetModifiedMarker(this, false);
    resetting = false;
}

void CreateNewPDFWindow::UpdateResizeImageAction()
{
    ui->actionResize_Image->setEnabled(cursorOnImage);
    resizeImageAction->setEnabled(cursorOnImage);
}

void CreateNewPDFWindow::UpdateAlignmentButtons()
{
    const Qt::Alignment alignment = ui->editNewPDF->alignment();
    QPushButton* down = nullptr;
    if (alignment == Qt::AlignLeft)
        down = ui->buttonAlignLeft;
    else if (alignment == Qt::AlignCenter || alignment == Qt::AlignHCenter)
        down = ui->buttonAlignCenter;
    else if (alignment == Qt::AlignRight || alignment == (Qt::AlignRight | Qt::AlignAbsolute))
        down = ui->buttonAlignRight;
    else
        return; // justified and the like: the buttons stay as they were
    for (QPushButton* button : {ui->buttonAlignLeft, ui->buttonAlignCenter, ui->buttonAlignRight})
        button->setDown(button == down);
}

void CreateNewPDFWindow::UpdateStyleButtons()
{
    ui->buttonBold->setDown(ui->editNewPDF->fontWeight() == scBoldWeight);
    ui->buttonItalic->setDown(ui->editNewPDF->fontItalic());
}

void CreateNewPDFWindow::UpdateFontSizeCombo()
{
    const int size = static_cast<int>(ui->editNewPDF->fontPointSize());
    const int* found = std::find(std::begin(scFontSizes), std::end(scFontSizes), size);
    if (found != std::end(scFontSizes))
        ui->comboFontSize->setCurrentIndex(static_cast<int>(found - std::begin(scFontSizes)));
}

void CreateNewPDFWindow::SetAlignment(Qt::Alignment alignment)
{
    ui->editNewPDF->setAlignment(alignment);
    UpdateAlignmentButtons();
    ui->editNewPDF->setFocus(Qt::OtherFocusReason);
}

void CreateNewPDFWindow::on_buttonAlignLeft_clicked()
{
    SetAlignment(Qt::AlignLeft);
}

void CreateNewPDFWindow::on_buttonAlignCenter_clicked()
{
    SetAlignment(Qt::AlignCenter);
}

void CreateNewPDFWindow::on_buttonAlignRight_clicked()
{
    SetAlignment(Qt::AlignRight);
}

void CreateNewPDFWindow::on_buttonBold_clicked()
{
    const bool bold = ui->editNewPDF->fontWeight() == scBoldWeight;
    ui->editNewPDF->setFontWeight(bold ? scPlainWeight : scBoldWeight);
    UpdateStyleButtons();
    ui->editNewPDF->setFocus(Qt::OtherFocusReason);
}

void CreateNewPDFWindow::on_buttonItalic_clicked()
{
    ui->editNewPDF->setFontItalic(!ui->editNewPDF->fontItalic());
    UpdateStyleButtons();
    ui->editNewPDF->setFocus(Qt::OtherFocusReason);
}

void CreateNewPDFWindow::on_comboFontSize_activated(const QString& text)
{
    bool ok = false;
    const int size = text.toInt(&ok);
    if (ok && size > 0)
        ui->editNewPDF->setFontPointSize(size);
    ui->editNewPDF->setFocus(Qt::OtherFocusReason);
}

void CreateNewPDFWindow::on_comboFont_activated(const QString& text)
{
    SetEditorFontFamily(*ui->editNewPDF, text);
    ui->editNewPDF->setFocus(Qt::OtherFocusReason);
}

void CreateNewPDFWindow::on_editNewPDF_cursorPositionChanged()
{
    cursorOnImage = !resetting && DocumentImages::IsImage(ui->editNewPDF->currentCharFormat());
    UpdateResizeImageAction();
    UpdateAlignmentButtons();
    UpdateStyleButtons();
    UpdateFontSizeCombo();
    ui->comboFont->setCurrentText(ui->editNewPDF->fontFamily());
}

void CreateNewPDFWindow::on_editNewPDF_textChanged()
{
    const bool changed = std::exchange(contentChanged, false);
    if (rescalePending) {
        rescalePending = false;
        RescaleStoredImages();
        ReloadDocument();
        return;
    }
    if (resetting || reloading || splittingParagraphs || !changed)
        return;
    // Undo and Redo only step back and forth between states this editor made; splitting again
    // after an Undo would make a new edit that the next Undo meets again, and Undo would be stuck.
    // A fresh edit empties the redo history before it is reported.
    if (ui->editNewPDF->document()->availableRedoSteps() == 0)
        KeepImagesInOwnParagraphs();
    SetModifiedMarker(this, true);
}

bool CreateNewPDFWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui->editNewPDF || event->type() != QEvent::KeyPress || forwardingKey)
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (cursorOnImage) {
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Backspace:
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_Down:
            break;
        default:
            return true;
        }
    }
    // Backspace, Delete, Paste and the like may join an image to its neighbour. Handled inside one
    // edit block, the paragraph split that follows joins that block, and one Undo takes back both.
    // Typed characters stay outside, so that Undo still takes back a typed word at once.
    const QString text = key->text();
    if (!text.isEmpty() && text.at(0).isPrint())
        return QMainWindow::eventFilter(watched, event);
    QTextCursor editBlock(ui->editNewPDF->document());
    editBlock.beginEditBlock();
    forwardingKey = true;
    QCoreApplication::sendEvent(ui->editNewPDF, event);
    forwardingKey = false;
    editBlock.endEditBlock();
    return true;
}

void CreateNewPDFWindow::ShowContextMenu(const QPoint& point)
{
    const std::unique_ptr<QMenu> menu(ui->editNewPDF->createStandardContextMenu());
    menu->addSeparator();
    menu->addAction(insertImageAction);
    menu->addAction(resizeImageAction);
    resizeImageAction->setEnabled(cursorOnImage);
    // The request comes in the coordinates of the editor's viewport.
    menu->exec(ui->editNewPDF->viewport()->mapToGlobal(point));
}

// ---- Images ----

void CreateNewPDFWindow::on_buttonInsertImage_clicked()
{
    const QString key = QLatin1String(SettingsKey::InsertImageLocation);
    const QString path = Prompts().OpenFileName(this, tr("Open Image"), AppSettings::Folder(key),
                                                tr("Image Files (*.jpg *.jpeg *.jpe *.png)"));
    if (path.isEmpty())
        return;
    AppSettings::SetFolder(key, AppSettings::FolderOfFile(path));
    InsertImageIntoStore(path, false);
}

void CreateNewPDFWindow::on_actionInsert_Image_triggered()
{
    on_buttonInsertImage_clicked();
}

void CreateNewPDFWindow::ResizeImage()
{
    const QTextCharFormat format = ui->editNewPDF->currentCharFormat();
    if (DocumentImages::IsImage(format))
        InsertImageIntoStore(format.toImageFormat().name(), true);
}

void CreateNewPDFWindow::on_actionResize_Image_triggered()
{
    ResizeImage();
}

void CreateNewPDFWindow::InsertImageIntoStore(const QString& imagePath, bool resizeExisting)
{
    // A resized copy of the store is made again from its original under its own name; any other
    // image, a picked file or one that came with pasted HTML, becomes a new pair of stored files.
    const bool fromOriginal = resizeExisting && EditorImageStore::IsResizedCopy(imagePath);
    QString sourcePath = DocumentImages::FilePath(imagePath);
    QSize startSize;
    if (fromOriginal) {
        startSize = ImageFiles::HeaderSize(imagePath);
        sourcePath = EditorImageStore::OriginalOf(imagePath);
    }
    QString reason;
    ImageFiles::Outcome outcome = ImageFiles::Outcome::Read;
    const QImage source = ImageFiles::Read(sourcePath, reason, &outcome);
    if (outcome == ImageFiles::Outcome::TooLarge || outcome == ImageFiles::Outcome::NotJpegOrPng) {
        Prompts().Warning(this, QString(), tr("Could not insert the image: %1.").arg(reason));
        return;
    }
    if (!fromOriginal)
        startSize = source.size();
    if (source.isNull())
        startSize = QSize(); // the dialog says that the image cannot be read

    ResizeImageDialog dialog;
    dialog.width = startSize.width();
    dialog.height = startSize.height();
    if (Prompts().RunDialog(dialog) != QDialog::Accepted)
        return;

    QString storedName;
    if (fromOriginal) {
        storedName = QFileInfo(imagePath).fileName();
    } else {
        QString baseName, extension;
        SplitFileName(sourcePath, baseName, extension);
        // The copies are written in the format their extension names, and only JPEG and PNG
        // files are shown: a picture under another name is kept as PNG.
        static const QStringList shownExtensions{QStringLiteral(".jpg"), QStringLiteral(".jpeg"),
                                                 QStringLiteral(".jpe"), QStringLiteral(".png")};
        if (!shownExtensions.contains(extension, Qt::CaseInsensitive))
            extension = QStringLiteral(".png");
        storedName = EditorImageStore::FreeStoredName(baseName, extension);
        if (!EditorImageStore::SaveImage(source, EditorImageStore::OriginalFolder(), storedName)) {
            Prompts().Warning(this, QString(), tr("Could not store the image."));
            return;
        }
        imageStore.NoteCreated(EditorImageStore::ResizedFolder() + QLatin1Char('/') + storedName,
                               EditorImageStore::OriginalFolder() + QLatin1Char('/') + storedName);
    }
    const QImage scaled = WithStoreResolution(
        source.scaled(dialog.width, dialog.height, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    if (!EditorImageStore::SaveImage(scaled, EditorImageStore::ResizedFolder(), storedName)) {
        Prompts().Warning(this, QString(), tr("Could not store the image."));
        return;
    }

    QTextDocument* document = ui->editNewPDF->document();
    QTextCursor cursor = ui->editNewPDF->textCursor();
    cursor.clearSelection();
    if (resizeExisting) {
        // The image stands at the start or at the end of its own paragraph.
        int position = -1;
        if (cursor.atBlockStart() && !cursor.atBlockEnd())
            position = cursor.position();
        else if (cursor.atBlockEnd() && !cursor.atBlockStart())
            position = cursor.position() - 1;
        if (position >= 0 && DocumentImages::IsImage(CharFormatAt(document, position))) {
            cursor.setPosition(position);
            cursor.deleteChar();
        }
    }
    QTextImageFormat format;
    format.setName(EditorImageStore::ResizedFolder() + QLatin1Char('/') + storedName);
    format.setHeight(scaled.height());
    format.setWidth(scaled.width());
    const QTextLine line = CurrentTextLine(cursor);
    if (line.isValid() && line.textLength() > 0)
        cursor.insertText(QStringLiteral("\n"));
    cursor.insertImage(format);
    ui->editNewPDF->setTextCursor(cursor);
    ReloadDocument();
}

void CreateNewPDFWindow::KeepImagesInOwnParagraphs()
{
    // Where paragraphs must be split, found before anything changes: before an image that
    // follows something, between identical images side by side, after an image that something
    // follows.
    QList<int> splits;
    for (const QTextFragment& fragment : DocumentImages::Fragments(*ui->editNewPDF->document())) {
        const QTextBlock block = ui->editNewPDF->document()->findBlock(fragment.position());
        const int blockStart = block.position();
        const int blockEnd = blockStart + block.length() - 1;
        const int start = fragment.position();
        const int end = start + fragment.length();
        if (start > blockStart)
            splits.append(start);
        for (int at = start + 1; at < end; ++at)
            splits.append(at);
        if (end < blockEnd)
            splits.append(end);
    }
    if (splits.isEmpty())
        return;
    // From the end backwards, so that each split leaves the positions before it as they were.
    std::sort(splits.begin(), splits.end());
    splits.erase(std::unique(splits.begin(), splits.end()), splits.end());
    splittingParagraphs = true;
    QTextCursor cursor(ui->editNewPDF->document());
    // Part of the edit that joined the image to its neighbour, so that one Undo takes back both
    // instead of meeting the split again each time.
    cursor.joinPreviousEditBlock();
    for (auto at = splits.crbegin(); at != splits.crend(); ++at) {
        cursor.setPosition(*at);
        QTextCharFormat format = cursor.charFormat();
        if (DocumentImages::IsImage(format))
            format = QTextCharFormat();
        cursor.insertBlock(cursor.blockFormat(), format);
    }
    cursor.endEditBlock();
    splittingParagraphs = false;
}

void CreateNewPDFWindow::RemoveUnusedImages()
{
    imageStore.DeleteUnreferenced();
}

void CreateNewPDFWindow::RescaleStoredImages()
{
    const QList<QTextFragment> fragments = DocumentImages::Fragments(*ui->editNewPDF->document());
    if (fragments.isEmpty())
        return;
    // Rebuilt copies go here, also when the whole folder was deleted.
    QDir().mkpath(EditorImageStore::ResizedFolder());
    QSet<QString> seen;
    QString reason; // a copy that cannot be made again stays as it is, as the editor shows it
    for (const QTextFragment& fragment : fragments) {
        const QTextImageFormat format = fragment.charFormat().toImageFormat();
        const QString name = format.name();
        if (seen.contains(name))
            continue;
        seen.insert(name);
        // Only the store's own copies are made again; any other file is the user's.
        if (!EditorImageStore::IsResizedCopy(name))
            continue;
        const QSize copy = ImageFiles::HeaderSize(name);
        // A copy of the right size stays as it is: saving it again would only lose quality.
        if (format.width() == copy.width() && format.height() == copy.height())
            continue;
        const int width = static_cast<int>(format.width());
        const int height = static_cast<int>(format.height());
        if (width < 1 || height < 1 || width > scLargestSide || height > scLargestSide)
            continue;
        const QImage original = ImageFiles::Read(EditorImageStore::OriginalOf(name), reason);
        if (original.isNull())
            continue;
        EditorImageStore::SaveImage(
            WithStoreResolution(original.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation)),
            EditorImageStore::ResizedFolder(), QFileInfo(name).fileName());
    }
}

void CreateNewPDFWindow::ReloadDocument()
{
    reloading = true;
    const int position = ui->editNewPDF->textCursor().position();
    const QString html = ui->editNewPDF->toHtml();
    ui->editNewPDF->clear();
    ui->editNewPDF->setHtml(html);
    QTextCursor cursor(ui->editNewPDF->document());
    cursor.setPosition(qBound(0, position, ui->editNewPDF->document()->characterCount() - 1));
    ui->editNewPDF->setTextCursor(cursor);
    reloading = false;
}

QStringList CreateNewPDFWindow::DocumentImageNames() const
{
    QStringList names;
    for (const QTextFragment& fragment : DocumentImages::Fragments(*ui->editNewPDF->document()))
        names.append(fragment.charFormat().toImageFormat().name());
    return names;
}

// ---- Projects ----

QString CreateNewPDFWindow::GetProjectsFolder() const
{
    const QString path = AppSettings::DocumentsFolder() + QStringLiteral("/Velloran/Create New PDF Projects");
    if (!QDir().exists(path))
        QDir().mkpath(path);
    return path;
}

bool CreateNewPDFWindow::MayDiscardDocument()
{
    return MayDiscardUnsavedChanges(this, [this]() { return SaveProject(); });
}

void CreateNewPDFWindow::on_actionNew_triggered()
{
    if (MayDiscardDocument())
        ResetSettings();
}

void CreateNewPDFWindow::on_actionLoad_triggered()
{
    // Asked before the file is chosen, as the user expects; the document stays until a project
    // has been read, so a file dialog cancelled after the question loses nothing.
    if (!MayDiscardDocument())
        return;
    const QString path = Prompts().OpenFileName(this, tr("Load Project"), GetProjectsFolder(),
                                                tr("Create New PDF Project (*.cnp)"));
    if (path.isEmpty())
        return;
    // Read before anything is reset: a file that cannot be read leaves the document as it was.
    QString html;
    if (!TextFiles::ReadUtf8(path, scMaxProjectBytes, html)) {
        Prompts().Warning(this, QString(), tr("Could not load file."));
        return;
    }
    ResetSettings();
    rescalePending = true;
    ui->editNewPDF->setHtml(html); // its text change rebuilds the resized copies and reloads
    rescalePending = false;
    projectPath = path;
    imageStore.NoteProjectImages(path, DocumentImageNames());
    setWindowTitle(tr("Create New PDF Document - ") + QFileInfo(path).baseName());
    const QStringList refused = static_cast<EditorDocument*>(ui->editNewPDF->document())->LoadImages();
    if (!refused.isEmpty())
        Prompts().Warning(this, QString(),
                          tr("Some images of the project cannot be shown:") + QLatin1Char('\n') +
                              refused.join(QLatin1Char('\n')));
}

bool CreateNewPDFWindow::SaveProject()
{
    return projectPath.isEmpty() ? SaveProjectAs() : SaveProjectTo(projectPath);
}

bool CreateNewPDFWindow::SaveProjectAs()
{
    // A name typed without an extension gets the filter's, so that Load lists the project.
    SaveFileOptions options;
    options.defaultSuffix = QStringLiteral("cnp");
    const QString path = SaveFileNameWithSuffix(this, tr("Save Project"), GetProjectsFolder(),
                                                tr("Create New PDF Project (*.cnp)"), options);
    return !path.isEmpty() && SaveProjectTo(path);
}

bool CreateNewPDFWindow::SaveProjectTo(const QString& path)
{
    if (!FindSameFile(path, DocumentImages::FilePaths(*ui->editNewPDF->document())).isEmpty() ||
        !TextFiles::WriteUtf8(path, ui->editNewPDF->toHtml())) {
        Prompts().Warning(this, QString(), tr("Could not save file."));
        return false;
    }
    projectPath = path;
    imageStore.NoteProjectImages(projectPath, DocumentImageNames());
    setWindowTitle(tr("Create New PDF Document - ") + QFileInfo(projectPath).baseName());
    return true;
}

void CreateNewPDFWindow::on_actionSave_triggered()
{
    SaveProject();
}

void CreateNewPDFWindow::on_actionSave_As_triggered()
{
    SaveProjectAs();
}

// ---- Exports ----

std::unique_ptr<QTextDocument> CreateNewPDFWindow::DocumentForBrowser() const
{
    // Qt writes a QFont weight times 8 as the CSS weight: Normal (50) as 400, Bold (75) as 600,
    // and this editor's plain weight 10 as "font-weight:80", which a browser draws as thin as the
    // font allows. Plain text is exported as Qt writes normal text; the project keeps weight 10.
    std::unique_ptr<QTextDocument> document(ui->editNewPDF->document()->clone());
    // Not part of what a clone copies; Qt writes the page as a table when the two differ.
    document->setDocumentMargin(ui->editNewPDF->document()->documentMargin());
    QList<QPair<int, int>> plainRuns;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator at = block.begin(); !at.atEnd(); ++at) {
            if (at.fragment().charFormat().fontWeight() == scPlainWeight)
                plainRuns.append({at.fragment().position(), at.fragment().length()});
        }
        // An empty paragraph's own format, which Qt writes too.
        if (block.charFormat().fontWeight() == scPlainWeight)
            plainRuns.append({block.position(), 0});
    }
    QTextCharFormat normal;
    normal.setFontWeight(QFont::Normal);
    QTextCursor cursor(document.get());
    for (const QPair<int, int>& run : plainRuns) {
        cursor.setPosition(run.first);
        if (run.second == 0) {
            cursor.mergeBlockCharFormat(normal);
            continue;
        }
        cursor.setPosition(run.first + run.second, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(normal);
    }
    return document;
}

QString CreateNewPDFWindow::ChooseExportFile(const QString& caption, const char* folderKey, const QString& filter,
                                             const QString& suffix)
{
    const QString key = QLatin1String(folderKey);
    SaveFileOptions options;
    options.defaultSuffix = suffix;
    const QString path = SaveFileNameWithSuffix(this, caption, AppSettings::Folder(key), filter, options);
    if (!path.isEmpty())
        AppSettings::SetFolder(key, AppSettings::FolderOfFile(path));
    return path;
}

void CreateNewPDFWindow::ReportExport(bool written, const QString& reason)
{
    if (written)
        Prompts().Information(this, QString(), tr("File exported successfully."));
    else
        Prompts().Warning(this, QString(), WithReason(tr("Could not export file."), reason));
}

void CreateNewPDFWindow::on_buttonExportHTML_clicked()
{
    const QString path =
        ChooseExportFile(tr("Export HTML"), SettingsKey::CreateNewHTMLOutputFolder, tr("HTML File (*.html)"),
                         QStringLiteral("html"));
    if (path.isEmpty())
        return;
    if (!FindSameFile(path, DocumentImages::FilePaths(*ui->editNewPDF->document())).isEmpty()) {
        ReportExport(false);
        return;
    }
    QString reason;
    const bool written = SucceedsUnlessMemoryRunsOut(
        [&] { return HtmlExport::WritePageWithImages(path, *DocumentForBrowser(), reason); }, reason);
    ReportExport(written, reason);
}

void CreateNewPDFWindow::on_buttonExportPDF_clicked()
{
    // The folder is remembered before the page settings, so that cancelling them still keeps it.
    const QString path =
        ChooseExportFile(tr("Export PDF"), SettingsKey::CreateNewPDFOutputFolder, tr("PDF Document (*.pdf)"),
                         QStringLiteral("pdf"));
    if (path.isEmpty())
        return;

    PDFPageSettingsDialog dialog;
    dialog.pageType = 0;
    dialog.margin = scDocumentMargin;
    if (Prompts().RunDialog(dialog) != QDialog::Accepted)
        return;

    // The exporter replaces an existing file itself, and refuses one of the document's images, so
    // an existing target is not removed here.
    if (!TestOpenTarget(this, path))
        return;

    const bool letter = dialog.pageType == scLetterPageType;
    QString reason;
    const bool written = SucceedsUnlessMemoryRunsOut(
        [&] {
            return RichTextPDFExporter().ExportDocumentToPDF(path, ui->editNewPDF, letter ? scLetterWidth : scA4Width,
                                                             letter ? scLetterHeight : scA4Height, dialog.margin,
                                                             &reason);
        },
        reason);
    ReportExport(written, reason);
}

// ---- Closing and help ----

void CreateNewPDFWindow::on_actionExit_triggered()
{
    close();
}

void CreateNewPDFWindow::closeEvent(QCloseEvent* event)
{
    if (!MayDiscardDocument()) {
        event->ignore();
        return;
    }
    ResetSettings();
    event->accept();
}

void CreateNewPDFWindow::on_actionOnline_Help_triggered()
{
    OpenUrl(QUrl(AppIdentity::WebSite() + QStringLiteral("/support.php")));
}

void CreateNewPDFWindow::OpenUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

#include "moc_CreateNewPDFWindow.cpp"
