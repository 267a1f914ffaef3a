#include "app/tools/merge/MergePDFFilesWindow.h"

#include "app/AppSettings.h"
#include "app/Prompts.h"
#include "app/SetModifiedMarker.h"
#include "app/tools/FailedFile.h"
#include "app/tools/FileIdentity.h"
#include "app/tools/StagedOutput.h"
#include "app/tools/merge/MergeThread.h"
#include "ui_MergePDFFilesWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>


namespace {

FileToolWindow::Texts MergeTexts()
{
    FileToolWindow::Texts texts;
    texts.title = MergePDFFilesWindow::tr("Merge PDF Documents");
    texts.addingStatus = MergePDFFilesWindow::tr("Updating PDF file list. Please wait...");
    texts.runningStatus = MergePDFFilesWindow::tr("Merging documents. Please wait...");
    texts.interruption = MergePDFFilesWindow::tr(
        "Exiting now will interrupt the merging process and could lead to a corrupt output file. Are you sure you "
        "want exit?");
    texts.projectFilter = MergePDFFilesWindow::tr("Merge PDF Project (*.mpf)");
    texts.projectExtension = QStringLiteral("mpf");
    texts.projectsFolderName = QStringLiteral("Merge");
    texts.helpPage = QStringLiteral("/support-merge.php");
    texts.blankDocumentInfo = MergePDFFilesWindow::tr("Number of Pages:\nEncrypted:\nFile Size:");
    return texts;
}

} // namespace

MergePDFFilesWindow::MergePDFFilesWindow(QWidget* parent)
    : FileToolWindow(MergeTexts(), parent), ui(new Ui::MergePDFFilesWindow)
{
    ui->setupUi(this);
    SetUpFrame(ui->progressMerge, ui->buttonMergeFiles, {ui->buttonMoveUp, ui->buttonMoveDown});
    ui->buttonMoveUp->setStyleSheet(QStringLiteral("text-align: left"));
    ui->buttonMoveDown->setStyleSheet(QStringLiteral("text-align: left"));
    ResetSettings();
}

MergePDFFilesWindow::~MergePDFFilesWindow()
{
    // The job reads its output back through this window's check.
    ReleaseThread();
    delete ui;
}

MergeOutputFactory MergePDFFilesWindow::OutputFactory() const
{
    return MergeOutputFactory();
}

ToolThread* MergePDFFilesWindow::CreateThread()
{
    auto* job = new MergeThread(OutputFactory());
    job->outputCheck = [this](const QString& path) { return IsReadablePDF(path); };
    ConnectJobSignal(&job->engine, &PDFMerger::UpdateProgress, [this](int progress) { UpdateProgress(progress); });
    return job;
}

MergeThread* MergePDFFilesWindow::Thread()
{
    return static_cast<MergeThread*>(JobThread());
}

void MergePDFFilesWindow::on_buttonMergeFiles_clicked()
{
    if (fileEntries.isEmpty()) {
        Prompts().Warning(this, QString(), tr("There are no files to merge."));
        return;
    }
    if (IsWorking() || IsAdding())
        return;
    const QString start = AppSettings::Folder(QLatin1String(SettingsKey::MergePDFOutputFolder));
    // The dialog does not ask about an existing file: one of the inputs is refused before any
    // question, so that nobody is asked whether to replace the document being merged.
    SaveFileOptions options;
    options.confirmOverwrite = false;
    // A name typed without an extension still makes a ".pdf" file, as other programs expect.
    options.defaultSuffix = QStringLiteral("pdf");
    const QString outputPath = SaveFileNameWithSuffix(this, tr("Save PDF"), start, tr("PDF Document (*.pdf)"), options);
    if (outputPath.isEmpty())
        return;
    // The chosen folder is remembered whatever becomes of the start, but after the job has
    // started: writing the settings waits for the disk, and the merge need not wait with it.
    const auto rememberFolder = qScopeGuard([&outputPath]() {
        AppSettings::SetFolder(QLatin1String(SettingsKey::MergePDFOutputFolder), AppSettings::FolderOfFile(outputPath));
    });

    // The output will be replaced: it must not be one of the inputs, under any spelling or link.
    const QStringList inputs = FilePaths();
    if (!FindSameFile(outputPath, inputs).isEmpty()) {
        Prompts().Warning(this, QString(),
                          tr("The merged document cannot replace one of the documents to merge. Please choose "
                             "another file."));
        return;
    }
    QFile target(outputPath);
    if (target.exists()) {
        const QMessageBox::StandardButton answer = Prompts().Question(
            this, QString(),
            tr("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(outputPath)),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
        // Opened without being changed: a file that another program holds, or that is
        // read-only, is not replaced. It is replaced only once the merge has succeeded.
        if (!target.open(QIODevice::ReadWrite)) {
            Prompts().Warning(this, tr("Export failed"), WriteFailureReason(outputPath, target.errorString()));
            return;
        }
        target.close();
    } else {
        // A folder that cannot take the file is said now, not after the merge.
        StagedOutput probe(outputPath);
        if (!probe.Create()) {
            Prompts().Warning(this, tr("Export failed"), WriteFailureReason(outputPath, probe.ErrorString()));
            return;
        }
    }

    MergeThread* job = Thread();
    job->SetFiles(inputs);
    job->outputPath = outputPath;
    StartJob();
}

void MergePDFFilesWindow::ReportFinishedJob()
{
    MergeThread* job = Thread();
    const MergeResult result = job->GetResult();
    if (job->OutputReadable()) {
        if (result.failedFiles.isEmpty())
            Prompts().Information(this, QString(), tr("Documents merged successfully."));
        else
            Prompts().Warning(
                this, QString(),
                FailedFilesText(tr("The documents were merged, but the following PDF documents could not be "
                                   "added:\n\n"),
                                result.failedFiles));
        return;
    }
    // Nothing was put at the output path: a file that was there is as it was.
    QString text = tr("Could not merge documents.");
    if (!result.failure.isEmpty())
        text += QStringLiteral("\n\n") + result.failure;
    if (!result.failedFiles.isEmpty())
        text += FailedFilesText(tr("\n\nThe following PDF documents could not be added:\n\n"), result.failedFiles);
    Prompts().Warning(this, QString(), text);
}

void MergePDFFilesWindow::MoveCurrentFile(int offset)
{
    const int row = ui->listPDFFiles->currentRow();
    if (row < 0)
        return;
    const int target = row + offset;
    if (row < fileEntries.size() && target >= 0 && target < fileEntries.size()) {
        QListWidgetItem* item = ui->listPDFFiles->takeItem(row);
        ui->listPDFFiles->insertItem(target, item);
        ui->listPDFFiles->setCurrentRow(target);
        fileEntries.move(row, target);
    }
    SetModifiedMarker(this, true);
}

void MergePDFFilesWindow::on_buttonMoveUp_clicked()
{
    MoveCurrentFile(-1);
}

void MergePDFFilesWindow::on_buttonMoveDown_clicked()
{
    MoveCurrentFile(1);
}

QString MergePDFFilesWindow::ProjectText() const
{
    QString text;
    for (const FileEntry& entry : fileEntries)
        text += entry.path + QLatin1Char('\n');
    return text;
}

bool MergePDFFilesWindow::ApplyProject(const QStringList& lines)
{
    QList<FileEntry> entries;
    if (!EntriesFromProjectLines(lines, entries))
        return false;
    ResetSettings();
    fileEntries = entries;
    return true;
}

#include "moc_MergePDFFilesWindow.cpp"
