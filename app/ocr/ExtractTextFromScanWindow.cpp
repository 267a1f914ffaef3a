#include "app/ocr/ExtractTextFromScanWindow.h"

#include "app/AppIdentity.h"
#include "app/AppSettings.h"
#include "app/ComboPopup.h"
#include "app/OutOfMemory.h"
#include "app/Prompts.h"
#include "app/SharedHelpers.h"
#include "app/TextFiles.h"
#include "app/WindowPlacement.h"
#include "app/create/EditorDocument.h"
#include "app/create/RichTextPDFExporter.h"
#include "app/ocr/TextExtractThread.h"
#include "ui_ExtractTextFromScanWindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTextDocument>
#include <QUrl>

#include <iterator>

namespace {

const int kFontSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 32, 36};
// Plain text has weight 10 in both editors; the exporter treats exactly 75 as bold.
const int kPlainWeight = 10;
const int kBoldWeight = 75;
const int kDefaultMargin = 50;
// The PDF export always writes A4 pages.
const double kA4Width = 595.0;
const double kA4Height = 842.0;

// The text as the file gets it: CR LF line ends. Line ends that are CR LF already stay one
// line end.
QString WithCRLF(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

} // namespace

ExtractTextFromScanWindow::ExtractTextFromScanWindow(QWidget* parent)
    : QMainWindow(parent), ui(new Ui::ExtractTextFromScanWindow), identity(nullptr), preview(nullptr)
{
    ui->setupUi(this);
    // Pasted rich text brings its images through the image gate, never through Qt's own loader.
    EditorDocument::Install(*ui->editText);
    identity = AppIdentity::Instance();
    const struct {
        const char* code;
        const char* icon;
    } languages[] = {{"deu", ":/Germany.png"},
                     {"eng", ":/UnitedKingdom.png"},
                     {"fra", ":/France.png"},
                     {"ita", ":/Italy.png"},
                     {"spa", ":/Spain.png"}};
    for (const auto& language : languages)
        ui->comboLanguage->addItem(QIcon(QLatin1String(language.icon)), QLatin1String(language.code));
    FitPopupToItems(ui->comboLanguage);
    for (const int size : kFontSizes)
        ui->comboFontSize->addItem(QString::number(size));
    ui->comboFont->addItem(QStringLiteral("Courier"));
    ui->comboFont->addItem(QStringLiteral("Times New Roman"));
    ResetSettings();
}

ExtractTextFromScanWindow::~ExtractTextFromScanWindow()
{
    ReleaseThread();
    delete ui;
}

void ExtractTextFromScanWindow::OpenWindow()
{
    if (!extracting) {
        ReleaseThread();
        JobThread();
    }
    ShowPlaced(this);
    raise();
    activateWindow();
}

TextExtractThread* ExtractTextFromScanWindow::JobThread()
{
    if (!thread) {
        thread = new TextExtractThread;
        ++threadGeneration;
        const quint64 generation = threadGeneration;
        // finished() is emitted on the worker thread, so this arrives queued.
        connect(thread, &QThread::finished, this, [this, generation]() {
            if (generation == threadGeneration && extracting)
                TextExtractThreadFinished();
        });
    }
    return thread;
}

void ExtractTextFromScanWindow::ReleaseThread()
{
    if (!thread)
        return;
    ++threadGeneration; // whatever the old object still has queued is dropped
    TextExtractThread* old = thread;
    thread = nullptr;
    delete old; // cancels the recognition and waits for it
}

void ExtractTextFromScanWindow::ResetSettings()
{
    scanPath.clear();
    setWindowTitle(tr("Extract Text from Scanned Document"));
    ui->editScannedDocument->clear();
    ui->editText->clear();
    ui->editText->setFontPointSize(12);
    SetEditorFontFamily(*ui->editText, QStringLiteral("Times New Roman"));
    ui->editText->setFontWeight(kPlainWeight);
    ui->editText->setFontItalic(false);
    ui->editText->document()->setDocumentMargin(kDefaultMargin);
    ui->comboFontSize->setCurrentIndex(4);
    ui->comboFont->setCurrentIndex(1);
    ui->buttonBold->setDown(false);
    ui->buttonItalic->setDown(false);
    ui->sliderDocumentMargin->setValue(kDefaultMargin);
    ui->labelDocumentMargin->setText(tr("Document Margin: %1 px").arg(kDefaultMargin));
    ui->comboLanguage->setCurrentIndex(1);
}

// ---- The scan ----

void ExtractTextFromScanWindow::on_buttonSelectScan_clicked()
{
    const QString path = ChooseFile(true, tr("Select Scanned Document"), SettingsKey::SelectScannedDocumentLocation,
                                    tr("Scanned Document (*.jpg *.jpeg *.jpe *.png)"));
    if (path.isEmpty())
        return;
    scanPath = QDir::fromNativeSeparators(path);
    ui->editScannedDocument->setText(QDir::toNativeSeparators(scanPath));
    preview.SetImage(scanPath);
}

void ExtractTextFromScanWindow::on_buttonDocumentPreview_clicked()
{
    preview.show();
}

// ---- Recognition ----

void ExtractTextFromScanWindow::on_buttonExtractText_clicked()
{
    if (extracting)
        return;
    if (scanPath.isEmpty()) {
        Prompts().Warning(this, QString(), tr("Please select a scanned document first."));
        return;
    }
    TextExtractThread* job = JobThread();
    ui->buttonExtractText->setEnabled(false);
    ui->statusBar->showMessage(tr("Extracting text. Please wait..."));
    job->imagePath = scanPath;
    job->languageCode = ui->comboLanguage->currentText();
    job->dataPath = languageDataPath;
    job->ClearStop();
    extracting = true;
    job->start(QThread::InheritPriority);
}

void ExtractTextFromScanWindow::TextExtractThreadFinished()
{
    extracting = false;
    ui->buttonExtractText->setEnabled(true);
    ui->statusBar->clearMessage();
    if (thread->GetResultStatus() != TextRecognizer::Status::Recognized) {
        // The editor keeps what the user had.
        QString message = thread->GetResultText();
        if (thread->GetResultStatus() == TextRecognizer::Status::UnreadableImage)
            message += QLatin1Char('\n') + QDir::toNativeSeparators(thread->imagePath);
        // Why a scan is refused stays in view until the next recognition.
        if (thread->GetResultStatus() == TextRecognizer::Status::RefusedImage)
            ui->statusBar->showMessage(message);
        Prompts().Warning(this, QString(), message);
        return;
    }
    // Recognised text is never markup, even when it looks like some.
    ui->editText->setPlainText(thread->GetResultText());
    Prompts().Information(this, QString(), tr("Text extracted successfully."));
}

// ---- Text files ----

QString ExtractTextFromScanWindow::ChooseFile(bool existing, const QString& caption, const char* settingsKey,
                                              const QString& filter, const QString& suffix)
{
    const QString key = QLatin1String(settingsKey);
    const QString folder = AppSettings::Folder(key);
    SaveFileOptions options;
    options.defaultSuffix = suffix;
    const QString path = existing ? Prompts().OpenFileName(this, caption, folder, filter)
                                  : SaveFileNameWithSuffix(this, caption, folder, filter, options);
    if (path.isEmpty())
        return QString();
    const QString internal = QDir::fromNativeSeparators(path);
    AppSettings::SetFolder(key, AppSettings::FolderOfFile(internal));
    return internal;
}

void ExtractTextFromScanWindow::on_buttonExportToPDF_clicked()
{
    // Asked of the document, here and below: the text is copied only inside the job, where memory
    // that runs out fails the job.
    if (ui->editText->document()->isEmpty()) {
        Prompts().Warning(this, QString(), tr("There is no text to export."));
        return;
    }
    const QString path = ChooseFile(false, tr("Export PDF"), SettingsKey::ExtractTextPDFOutputFolder,
                                    tr("PDF Document (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty() || !TestOpenTarget(this, path))
        return;
    // The exporter replaces an existing file only with a complete one.
    QString reason;
    const bool written = SucceedsUnlessMemoryRunsOut(
        [&] {
            return RichTextPDFExporter().ExportDocumentToPDF(path, ui->editText, kA4Width, kA4Height,
                                                             ui->sliderDocumentMargin->value(), &reason);
        },
        reason);
    if (!written) {
        Prompts().Warning(this, QString(), WithReason(tr("Could not export file."), reason));
        return;
    }
    Prompts().Information(this, QString(), tr("File exported successfully."));
}

void ExtractTextFromScanWindow::on_buttonExportToTXT_clicked()
{
    if (ui->editText->document()->isEmpty()) {
        Prompts().Warning(this, QString(), tr("There is no text to export."));
        return;
    }
    const QString path = ChooseFile(false, tr("Export Text File"), SettingsKey::ExtractTextTXTOutputFolder,
                                    tr("Text File (*.txt)"), QStringLiteral("txt"));
    if (path.isEmpty() || !TestOpenTarget(this, path))
        return;
    // The old file stays whole until the new one is complete.
    QString reason;
    const bool written = SucceedsUnlessMemoryRunsOut(
        [&] { return TextFiles::WriteUtf8(path, WithCRLF(ui->editText->toPlainText())); }, reason);
    if (!written) {
        Prompts().Warning(this, QString(), WithReason(tr("Could not export file."), reason));
        return;
    }
    Prompts().Information(this, QString(), tr("File exported successfully."));
}

void ExtractTextFromScanWindow::on_buttonAppendToTXT_clicked()
{
    if (ui->editText->document()->isEmpty()) {
        Prompts().Warning(this, QString(), tr("There is no text to append."));
        return;
    }
    const QString path = ChooseFile(true, tr("Select Text File"), SettingsKey::ExtractTextTXTOutputFolder,
                                    tr("Text File (*.txt)"));
    if (path.isEmpty() || !TestOpenTarget(this, path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::Append)) {
        Prompts().Warning(this, QString(), tr("Could not append text."));
        return;
    }
    // One line feed parts the old text from the new, as the file has always been written.
    const qint64 oldSize = file.size();
    QString reason;
    const bool appended = SucceedsUnlessMemoryRunsOut(
        [&] {
            const QByteArray bytes = QByteArray("\n") + WithCRLF(ui->editText->toPlainText()).toUtf8();
            return file.write(bytes) == bytes.size() && file.flush();
        },
        reason);
    if (!appended) {
        // Half an appended text is worse than none: the file goes back to what it was.
        file.resize(oldSize);
        Prompts().Warning(this, QString(), WithReason(tr("Could not append text."), reason));
        return;
    }
    file.close();
    Prompts().Information(this, QString(), tr("Text appended successfully."));
}

// ---- Formatting ----

void ExtractTextFromScanWindow::SetAlignment(Qt::Alignment alignment)
{
    ui->editText->setAlignment(alignment);
    UpdateAlignmentButtons();
    ui->editText->setFocus(Qt::OtherFocusReason);
}

void ExtractTextFromScanWindow::on_buttonAlignLeft_clicked()
{
    SetAlignment(Qt::AlignLeft);
}

void ExtractTextFromScanWindow::on_buttonAlignCenter_clicked()
{
    SetAlignment(Qt::AlignCenter);
}

void ExtractTextFromScanWindow::on_buttonAlignRight_clicked()
{
    SetAlignment(Qt::AlignRight);
}

void ExtractTextFromScanWindow::UpdateBoldItalicButtons()
{
    ui->buttonBold->setDown(ui->editText->fontWeight() == kBoldWeight);
    ui->buttonItalic->setDown(ui->editText->fontItalic());
}

void ExtractTextFromScanWindow::on_buttonBold_clicked()
{
    ui->editText->setFontWeight(ui->editText->fontWeight() == kBoldWeight ? kPlainWeight : kBoldWeight);
    UpdateBoldItalicButtons();
    ui->editText->setFocus(Qt::OtherFocusReason);
}

void ExtractTextFromScanWindow::on_buttonItalic_clicked()
{
    ui->editText->setFontItalic(!ui->editText->fontItalic());
    UpdateBoldItalicButtons();
    ui->editText->setFocus(Qt::OtherFocusReason);
}

void ExtractTextFromScanWindow::on_comboFontSize_activated(const QString& size)
{
    ui->editText->setFontPointSize(size.toInt());
    ui->editText->setFocus(Qt::OtherFocusReason);
}

void ExtractTextFromScanWindow::on_comboFont_activated(const QString& family)
{
    SetEditorFontFamily(*ui->editText, family);
    ui->editText->setFocus(Qt::OtherFocusReason);
}

void ExtractTextFromScanWindow::on_editText_cursorPositionChanged()
{
    UpdateAlignmentButtons();
    UpdateBoldItalicButtons();
    UpdateFontSizeCombo();
    ui->comboFont->setCurrentText(ui->editText->fontFamily());
}

void ExtractTextFromScanWindow::UpdateAlignmentButtons()
{
    const uint alignment = ui->editText->alignment();
    bool left = false;
    bool center = false;
    bool right = false;
    if (alignment == Qt::AlignLeft)
        left = true;
    else if (alignment == Qt::AlignCenter || alignment == Qt::AlignHCenter)
        center = true;
    else if (alignment == Qt::AlignRight || alignment == (Qt::AlignRight | Qt::AlignAbsolute))
        right = true;
    else
        return; // justified text leaves the buttons as they are
    ui->buttonAlignLeft->setDown(left);
    ui->buttonAlignCenter->setDown(center);
    ui->buttonAlignRight->setDown(right);
}

void ExtractTextFromScanWindow::UpdateFontSizeCombo()
{
    const int size = static_cast<int>(ui->editText->fontPointSize());
    for (int index = 0; index < static_cast<int>(std::size(kFontSizes)); ++index)
        if (kFontSizes[index] == size)
            ui->comboFontSize->setCurrentIndex(index);
}

void ExtractTextFromScanWindow::on_sliderDocumentMargin_valueChanged(int value)
{
    ui->editText->document()->setDocumentMargin(value);
    ui->labelDocumentMargin->setText(tr("Document Margin: %1 px").arg(value));
}

// ---- Closing and help ----

void ExtractTextFromScanWindow::closeEvent(QCloseEvent* event)
{
    if (extracting) {
        const QMessageBox::StandardButton answer = Prompts().Question(
            nullptr, QString(),
            tr("Exiting now will interrupt the text extracting process. Are you sure you want exit?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes) {
            event->ignore();
            return;
        }
        ReleaseThread();
        extracting = false;
        ui->buttonExtractText->setEnabled(true);
        ui->statusBar->clearMessage();
    }
    ReleaseThread();
    ResetSettings();
    event->accept();
}

void ExtractTextFromScanWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1)
        QDesktopServices::openUrl(QUrl(AppIdentity::WebSite() + QStringLiteral("/support-extract.php")));
    QWidget::keyPressEvent(event);
}

#include "moc_ExtractTextFromScanWindow.cpp"
