#include "app/tools/merge/MergePDFFilesWindow.h"

#include "app/AppSettings.h"
#include "app/Prompts.h"
#include "app/SetModifiedMarker.h"
#include "app/tools/FileIdentity.h"
#include "app/tools/merge/MergeThread.h"
#include "ui_MergePDFFilesWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

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
    texts.projectsFolderName = QStringLiteral("Merge");
    texts.helpPage = QStringLiteral("/support-merge.php");
    texts.blankDocumentInfo = MergePDFFilesWindow::tr("Number of Pages:\nEncrypted:\nFile Size:");
    return texts;
}

// A line that holds a control character is no path of a merge project.
bool IsProjectPath(const QString& line)
{
    return std::none_of(line.cbegin(), line.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

} // namespace

MergePDFFilesWindow::MergePDFFilesWindow(QWidget* parent)
    : FileToolWindow(MergeTexts(), parent), ui(new Ui::MergePDFFilesWindow)
{
    ui->setupUi(this);
    Widgets frame;
    frame.list = ui->listPDFFiles;
    frame.add = ui->buttonAdd;
    frame.remove = ui->buttonRemove;
    frame.documentInfo = ui->labelDocInfo;
    frame.progress = ui->progressMerge;
    frame.start = ui->buttonMergeFiles;
    frame.listControls = {ui->buttonMoveUp, ui->buttonMoveDown};
    SetUpFrame(frame);
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
    const QString outputPath = Prompts().SaveFileName(this, tr("Save PDF"), start, tr("PDF Document (*.pdf)"));
    if (outputPath.isEmpty())
        return;
    // The chosen folder is remembered whatever becomes of the start, but after the job has
    // started: writing the settings waits for the disk, and the merge need not wait with it.
    const auto rememberFolder = qScopeGuard([&outputPath]() {
        AppSettings::SetFolder(QLatin1String(SettingsKey::MergePDFOutputFolder), AppSettings::FolderOfFile(outputPath));
    });

    // The output is about to be removed and rewritten: it must not be one of the inputs, under
    // any spelling or link.
    const QStringList inputs = FilePaths();
    if (!FindSameFile(outputPath, inputs).isEmpty()) {
        Prompts().Warning(this, QString(),
                          tr("The merged document cannot replace one of the documents to merge. Please choose "
                             "another file."));
        return;
    }
    if (!TestOpenTarget(this, outputPath))
        return;
    QFile::remove(outputPath);

    MergeThread* job = Thread();
    job->SetFiles(inputs);
    job->outputPath = outputPath;
    StartJob();
}

void MergePDFFilesWindow::ReportFinishedJob()
{
    MergeThread* job = Thread();
    const MergeResult result = job->GetResult();
    const QString outputPath = job->GetOutputPath();
    if (job->OutputReadable()) {
        if (result.failedFiles.isEmpty()) {
            Prompts().Information(this, QString(), tr("Documents merged successfully."));
        } else {
            QString text = tr("The documents were merged, but the following PDF documents could not be added:\n\n");
            for (const QString& path : result.failedFiles)
                text += path + QLatin1Char('\n');
            Prompts().Warning(this, QString(), text);
        }
        return;
    }
    // The output was checked at the start to be none of the inputs.
    if (QFileInfo::exists(outputPath))
        QFile::remove(outputPath);
    Prompts().Warning(this, QString(), tr("Could not merge documents."));
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
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        if (!IsProjectPath(line))
            return false;
        entries.append(MakeFileEntry(line));
    }
    ResetSettings();
    fileEntries = entries;
    return true;
}
