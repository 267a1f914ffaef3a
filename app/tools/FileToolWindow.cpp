#include "app/tools/FileToolWindow.h"

#include "app/AppIdentity.h"
#include "app/AppSettings.h"
#include "app/Prompts.h"
#include "app/SetModifiedMarker.h"
#include "app/SharedHelpers.h"
#include "app/TextFiles.h"
#include "app/WindowPlacement.h"
#include "app/tools/FileToolEngine.h"
#include "app/tools/ListPDFFiles.h"
#include "app/tools/PDFQueries.h"
#include "app/tools/ProgressPercent.h"
#include "app/tools/ToolThread.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

// A project file holds a list of paths and a few settings; anything larger is not one.
constexpr qint64 kMaxProjectFileBytes = 16 * 1024 * 1024;

} // namespace

class FileToolWindow::BusyScope {
public:
    explicit BusyScope(FileToolWindow* window) : window(window) { ++window->busy; }
    ~BusyScope()
    {
        if (--window->busy == 0 && !window->deferredActions.isEmpty())
            QTimer::singleShot(0, window, [w = window]() { w->RunDeferredActions(); });
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    FileToolWindow* window;
};

FileToolWindow::FileToolWindow(const Texts& toolTexts, QWidget* parent)
    : QMainWindow(parent), texts(toolTexts), identity(AppIdentity::Instance())
{
}

FileToolWindow::~FileToolWindow()
{
    ReleaseThread();
}

void FileToolWindow::SetUpFrame(QProgressBar* progress, QPushButton* start, const QList<QWidget*>& listControls)
{
    widgets.list = findChild<ListPDFFiles*>(QStringLiteral("listPDFFiles"));
    widgets.add = findChild<QPushButton*>(QStringLiteral("buttonAdd"));
    widgets.remove = findChild<QPushButton*>(QStringLiteral("buttonRemove"));
    widgets.documentInfo = findChild<QLabel*>(QStringLiteral("labelDocInfo"));
    Q_ASSERT(widgets.list && widgets.add && widgets.remove && widgets.documentInfo);
    widgets.progress = progress;
    widgets.start = start;
    widgets.listControls = listControls;
    widgets.add->setStyleSheet(QStringLiteral("text-align: left"));
    widgets.remove->setStyleSheet(QStringLiteral("text-align: left"));

    auto addAction = [](QMenu* menu, const QString& text, const char* name) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        return action;
    };

    addMenu = new QMenu(this);
    connect(addAction(addMenu, tr("File(s)"), "actionAddFiles"), &QAction::triggered, this,
            &FileToolWindow::OnAddFiles);
    connect(addAction(addMenu, tr("Folder"), "actionAddFolder"), &QAction::triggered, this,
            &FileToolWindow::OnAddFolder);
    connect(addAction(addMenu, tr("Folder with Subfolders"), "actionAddFolderWithSubfolders"), &QAction::triggered,
            this, &FileToolWindow::OnAddFolderWithSubfolders);

    removeMenu = new QMenu(this);
    connect(addAction(removeMenu, tr("Selected"), "actionRemoveSelected"), &QAction::triggered, this,
            &FileToolWindow::OnRemoveSelected);
    connect(addAction(removeMenu, tr("All"), "actionRemoveAll"), &QAction::triggered, this,
            &FileToolWindow::OnRemoveAll);

    contextMenu = new QMenu(this);
    connect(addAction(contextMenu, tr("Open"), "actionOpen"), &QAction::triggered, this, &FileToolWindow::OnOpen);
    contextMenu->addSeparator();
    connect(addAction(contextMenu, tr("Remove"), "actionRemove"), &QAction::triggered, this,
            &FileToolWindow::OnRemoveSelected);

    widgets.list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(widgets.list, &QWidget::customContextMenuRequested, this, &FileToolWindow::ShowContextMenu);
    connect(widgets.list, &ListPDFFiles::FilesDropped, this, &FileToolWindow::OnAddDragAndDropFiles);
    // The information follows the current row, whether the mouse or the keyboard moved it.
    connect(widgets.list, &QListWidget::currentRowChanged, this, &FileToolWindow::OnCurrentRowChanged);
}

// ---- The thread and the job ----

void FileToolWindow::OpenWindow()
{
    // A running job keeps its thread object: its end is still reported against its own output.
    if (!working) {
        ReleaseThread();
        JobThread();
    }
    ShowPlaced(this);
    raise();
    activateWindow();
}

ToolThread* FileToolWindow::JobThread()
{
    if (!thread) {
        thread = CreateThread();
        const quint64 generation = threadGeneration;
        // finished() is emitted on the worker thread, so this arrives queued.
        connect(thread, &QThread::finished, this, [this, generation]() { OnThreadFinished(generation); });
    }
    return thread;
}

void FileToolWindow::ReleaseThread()
{
    if (!thread)
        return;
    ++threadGeneration; // whatever the old object still has queued is dropped
    ToolThread* old = thread;
    thread = nullptr;
    engine = nullptr;
    old->StopAndWait();
    delete old;
}

void FileToolWindow::StartJob()
{
    ToolThread* job = JobThread();
    job->ClearStop();
    working = true;
    UpdateStartButton();
    statusBar()->showMessage(texts.runningStatus);
    job->start(QThread::InheritPriority);
}

void FileToolWindow::OnThreadFinished(quint64 generation)
{
    if (generation != threadGeneration || !working)
        return;
    // Whether to interrupt a job that has ended is no question any more: it closes, and the
    // report follows once it has (ConfirmExitWhileWorking), not over it.
    if (exitQuestion.IsOpen()) {
        jobEndedDuringExitQuestion = true;
        exitQuestion.Close();
        return;
    }
    FinishJob();
}

void FileToolWindow::FinishJob()
{
    working = false;
    UpdateStartButton();
    if (!listControlsDisabled)
        statusBar()->clearMessage();
    widgets.progress->setValue(0);
    ReportFinishedJob();
}

void FileToolWindow::UpdateProgress(int progress)
{
    widgets.progress->setValue(progress);
}

void FileToolWindow::ConnectEngine(FileToolEngine* jobEngine)
{
    engine = jobEngine;
    ConnectJobSignal(jobEngine, &FileToolEngine::UpdateProgress, [this](int progress) { UpdateProgress(progress); });
    ConnectJobSignal(jobEngine, &FileToolEngine::ShowOverwriteDialog,
                     [this](const QString& filePath) { ShowOverwriteDialog(filePath); });
}

void FileToolWindow::ShowOverwriteDialog(QString filePath)
{
    if (!engine)
        return;
    const quint64 generation = threadGeneration;
    const int answer = Prompts().AskOverwrite(this, filePath);
    // The question runs an event loop: meanwhile the window may have let the job go.
    if (generation == threadGeneration && engine)
        engine->overwriteDecision.Store(answer);
}

void FileToolWindow::ReportFailedSources(const QList<FailedFile>& failed, const QString& successText,
                                         const QString& header, const QString& note)
{
    // The list of failed files ends with a line end already.
    if (failed.isEmpty())
        Prompts().Information(this, QString(),
                              note.isEmpty() ? successText : successText + QStringLiteral("\n\n") + note);
    else
        Prompts().Warning(this, QString(),
                          FailedFilesText(header, failed) + (note.isEmpty() ? QString() : QLatin1Char('\n') + note));
}

QString FileToolWindow::CheckOutputNames(QLineEdit* field, const QString& text)
{
    const QString cleaned = SanitizeFileName(text);
    if (cleaned != text) {
        QString characters;
        for (const char* c = kForbiddenFileNameCharacters; *c; ++c)
            characters += (characters.isEmpty() ? QString() : QStringLiteral(" ")) + QLatin1Char(*c);
        Prompts().Warning(this, QString(),
                          tr("Please note that you cannot use the following symbols in your file name template: ") +
                              characters);
        const QSignalBlocker quiet(field);
        field->setText(cleaned);
    }
    SetModifiedMarker(this, true);
    return cleaned;
}

QString FileToolWindow::ChooseOutputFolder(const char* settingsKey, const QString& current)
{
    QString folder = Prompts().ExistingFolder(this, tr("Select folder"), current);
    if (folder.isEmpty())
        return QString();
    AppSettings::SetFolder(QLatin1String(settingsKey), folder);
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    SetModifiedMarker(this, true);
    return folder;
}

void FileToolWindow::BrowseOutputFolder(const char* settingsKey, QString& folder, QLineEdit* field)
{
    const QString chosen = ChooseOutputFolder(settingsKey, folder);
    if (chosen.isEmpty())
        return;
    folder = chosen;
    field->setText(QDir::toNativeSeparators(chosen));
}

QString FileToolWindow::ProjectOutputNames(const QString& line, QStringList& problems) const
{
    const QString names = SanitizeFileName(line);
    if (names != line)
        problems << tr("The output names held characters that a file name cannot hold; they were removed.");
    return names;
}

void FileToolWindow::WarnAboutProjectProblems(const QStringList& problems)
{
    if (!problems.isEmpty())
        Prompts().Warning(this, QString(),
                          tr("Some settings of the project could not be used:\n\n") + problems.join(QLatin1Char('\n')));
}

void FileToolWindow::UpdateStartButton()
{
    widgets.start->setEnabled(!working && !listControlsDisabled);
}

// ---- Adding files ----

void FileToolWindow::DisableListControls(const QString& statusText)
{
    listControlsDisabled = true;
    widgets.list->setEnabled(false);
    widgets.add->setEnabled(false);
    widgets.remove->setEnabled(false);
    for (QWidget* control : qAsConst(widgets.listControls))
        control->setEnabled(false);
    UpdateStartButton();
    statusBar()->showMessage(statusText);
}

void FileToolWindow::EnableListControls()
{
    listControlsDisabled = false;
    widgets.list->setEnabled(true);
    widgets.add->setEnabled(true);
    widgets.remove->setEnabled(true);
    for (QWidget* control : qAsConst(widgets.listControls))
        control->setEnabled(true);
    UpdateStartButton();
    if (working)
        statusBar()->showMessage(texts.runningStatus);
    else
        statusBar()->clearMessage();
}

void FileToolWindow::AddPDFFiles(const QStringList& paths, bool quiet)
{
    BusyScope scope(this);
    if (!quiet)
        DisableListControls(texts.addingStatus);
    const int total = paths.size();
    for (int i = 0; i < total; ++i) {
        const QString& path = paths.at(i);
        const bool listed = std::any_of(fileEntries.cbegin(), fileEntries.cend(),
                                        [&path](const FileEntry& entry) { return entry.path == path; });
        if (listed)
            continue;
        // The text after the last "."; a path without one is its own extension.
        const QString extension = path.mid(path.lastIndexOf(QLatin1Char('.')) + 1).toLower();
        if (extension != QLatin1String("pdf"))
            continue;
        const QString reason = UnreadableReason(path);
        if (reason.isEmpty())
            fileEntries.append(MakeFileEntry(path));
        else
            unloadableFiles.append({path, reason});
        widgets.progress->setValue(ProgressPercent(i + 1, total));
        QCoreApplication::processEvents();
    }
    if (!quiet)
        FinishAdding();
}

void FileToolWindow::FinishAdding()
{
    UpdateFileList();
    FilesAdded();
    widgets.progress->setValue(0);
    EnableListControls();
    ShowUnloadableFilesMessage();
}

void FileToolWindow::AddPDFFilesFromFolder(const QString& folder, bool withSubfolders)
{
    QSet<QString> visited;
    ScanFolder(folder, withSubfolders, visited);
}

void FileToolWindow::ScanFolder(const QString& folder, bool withSubfolders, QSet<QString>& visited)
{
    if (folder.isEmpty())
        return;
    QString path = folder;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    // Subfolders are listed without links, but a bind mount can still lead back up the tree:
    // a folder met a second time is not scanned again, so the walk always ends.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return;
    visited.insert(canonical);

    QDir dir(path);
    dir.setFilter(QDir::Files | QDir::NoSymLinks | QDir::Hidden);
    dir.setSorting(QDir::Size | QDir::Reversed); // smallest first
    QStringList files;
    const QFileInfoList entries = dir.entryInfoList();
    for (const QFileInfo& entry : entries)
        files.append(entry.filePath());
    AddPDFFiles(files, withSubfolders);

    if (!withSubfolders)
        return;
    const QStringList subfolders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& name : subfolders)
        ScanFolder(path + name, true, visited);
}

void FileToolWindow::OnAddFiles()
{
    const QString start = AppSettings::Folder(QLatin1String(SettingsKey::AddPDFDocumentsLocation));
    const QStringList paths =
        Prompts().OpenFileNames(this, tr("Select PDF Documents"), start, tr("PDF Documents (*.pdf)"));
    if (paths.isEmpty())
        return;
    BusyScope scope(this);
    AppSettings::SetFolder(QLatin1String(SettingsKey::AddPDFDocumentsLocation), AppSettings::FolderOfFile(paths.first()));
    AddPDFFiles(paths, false);
    SetModifiedMarker(this, true);
}

QString FileToolWindow::ChooseFolderToAdd()
{
    const QString key = QLatin1String(SettingsKey::AddFolderPDFDocumentsLocation);
    const QString folder = Prompts().ExistingFolder(this, tr("Select folder"), AppSettings::Folder(key));
    if (!folder.isEmpty())
        AppSettings::SetFolder(key, folder);
    return folder;
}

void FileToolWindow::OnAddFolder()
{
    const QString folder = ChooseFolderToAdd();
    if (folder.isEmpty())
        return;
    BusyScope scope(this);
    AddPDFFilesFromFolder(folder, false);
    SetModifiedMarker(this, true);
}

void FileToolWindow::OnAddFolderWithSubfolders()
{
    const QString folder = ChooseFolderToAdd();
    if (folder.isEmpty())
        return;
    BusyScope scope(this);
    DisableListControls(tr("Updating PDF file list. Please wait..."));
    AddPDFFilesFromFolder(folder, true);
    FinishAdding();
    SetModifiedMarker(this, true);
}

void FileToolWindow::OnAddDragAndDropFiles(QStringList listFilePaths)
{
    BusyScope scope(this);
    AddPDFFiles(listFilePaths, false);
    SetModifiedMarker(this, true);
}

bool FileToolWindow::DeferWhileAdding(std::function<void()> action)
{
    if (busy == 0)
        return false;
    deferredActions.append(std::move(action));
    return true;
}

void FileToolWindow::RunDeferredActions()
{
    if (busy > 0)
        return; // another add began first; its end runs them
    const QList<std::function<void()>> actions = deferredActions;
    deferredActions.clear();
    for (const std::function<void()>& action : actions)
        action();
}

// ---- The list ----

void FileToolWindow::UpdateFileList()
{
    ClearFileListWidget();
    for (const FileEntry& entry : qAsConst(fileEntries))
        widgets.list->AppendFile(entry.path);
}

void FileToolWindow::ClearFileListWidget()
{
    widgets.list->clear(); // deletes the items
}

QStringList FileToolWindow::FilePaths() const
{
    QStringList paths;
    for (const FileEntry& entry : fileEntries)
        paths.append(entry.path);
    return paths;
}

FileEntry FileToolWindow::MakeFileEntry(const QString& path) const
{
    FileEntry entry;
    entry.path = path;
    return entry;
}

void FileToolWindow::ShowUnloadableFilesMessage()
{
    if (unloadableFiles.isEmpty())
        return;
    const QString text = FailedFilesText(
        tr("The following PDF documents are either encrypted or have an unknown format and could not be loaded:\n\n"),
        unloadableFiles);
    unloadableFiles.clear();
    Prompts().Warning(this, QString(), text);
}

void FileToolWindow::OnRemoveSelected()
{
    if (widgets.list->currentRow() < 0)
        return;
    const QMessageBox::StandardButton answer =
        Prompts().Question(nullptr, QString(), tr("Are you sure you want to remove the selected file?"),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    // The row is read after the question, which runs an event loop of its own.
    const int row = widgets.list->currentRow();
    if (answer == QMessageBox::No || row < 0 || row >= fileEntries.size())
        return;
    fileEntries.removeAt(row);
    UpdateFileList();
    ResetDocumentInfo();
    SetModifiedMarker(this, true);
}

void FileToolWindow::OnRemoveAll()
{
    if (fileEntries.isEmpty())
        return;
    const QMessageBox::StandardButton answer =
        Prompts().Question(nullptr, QString(), tr("Are you sure you want to remove all the files in the list?"),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::No)
        return;
    fileEntries.clear();
    UpdateFileList();
    ResetDocumentInfo();
    SetModifiedMarker(this, true);
}

void FileToolWindow::OnOpen()
{
    const int row = widgets.list->currentRow();
    if (row < 0)
        return;
    OpenUrl(QUrl::fromLocalFile(widgets.list->FilePath(row)));
}

void FileToolWindow::ShowContextMenu(const QPoint& point)
{
    QListWidgetItem* item = widgets.list->itemAt(point);
    if (!item)
        return;
    on_listPDFFiles_itemClicked(item);
    contextMenu->popup(widgets.list->viewport()->mapToGlobal(point));
}

void FileToolWindow::on_buttonAdd_clicked()
{
    addMenu->popup(widgets.add->mapToGlobal(QPoint(0, widgets.add->height())));
}

void FileToolWindow::on_buttonRemove_clicked()
{
    removeMenu->popup(widgets.remove->mapToGlobal(QPoint(0, widgets.remove->height())));
}

void FileToolWindow::on_listPDFFiles_itemClicked(QListWidgetItem* item)
{
    if (!item)
        return;
    const QString path = ListPDFFiles::FilePath(item);
    // The press that made this row current has shown it already; a click on the current row
    // reads the file afresh.
    const bool shownOnPress = !pressedPath.isEmpty() && path == pressedPath;
    pressedPath.clear();
    if (!shownOnPress)
        ShowDocumentInfo(path);
}

void FileToolWindow::OnCurrentRowChanged(int row)
{
    if (row < 0) {
        ResetDocumentInfo();
        return;
    }
    const QString path = widgets.list->FilePath(row);
    pressedPath = QGuiApplication::mouseButtons() != Qt::NoButton ? path : QString();
    ShowDocumentInfo(path);
}

QString FileToolWindow::DocumentInfoText(const QString& path, const QSize& pageSize) const
{
    QString text = tr("Number of Pages: %1").arg(PDFPageCount(path));
    if (pageSize.isValid())
        text += tr("\nPage Size: %1 x %2").arg(pageSize.width()).arg(pageSize.height());
    const qint64 kilobytes = QFileInfo(path).size() / 1024;
    return text +
           tr("\nEncrypted: %1\nFile Size: %2 KB").arg(IsEncryptedPDF(path) ? tr("YES") : tr("NO")).arg(kilobytes);
}

void FileToolWindow::ShowDocumentInfo(const QString& path)
{
    widgets.documentInfo->setText(DocumentInfoText(path));
}

void FileToolWindow::ResetDocumentInfo()
{
    widgets.documentInfo->setText(texts.blankDocumentInfo);
}

// ---- Defaults and projects ----

void FileToolWindow::ResetSettings()
{
    projectPath.clear();
    fileEntries.clear();
    unloadableFiles.clear();
    ClearFileListWidget();
    setWindowTitle(texts.title);
    ResetDocumentInfo();
    widgets.progress->setValue(0);
    ResetToolSettings();
    SetModifiedMarker(this, false);
}

QString FileToolWindow::GetProjectsFolder() const
{
    const QString path =
        AppSettings::DocumentsFolder() + QStringLiteral("/Velloran/") + texts.projectsFolderName + QStringLiteral(" PDF Projects");
    if (!QDir().exists(path))
        QDir().mkpath(path);
    return path;
}

bool FileToolWindow::HoldsControlCharacter(const QString& line)
{
    return std::any_of(line.cbegin(), line.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

bool FileToolWindow::EntriesFromProjectLines(const QStringList& lines, QList<FileEntry>& entries) const
{
    for (const QString& line : lines) {
        if (line.isEmpty())
            continue;
        if (HoldsControlCharacter(line))
            return false;
        entries.append(EntryFromProjectLine(line));
    }
    return true;
}

QString FileToolWindow::ProjectTitle() const
{
    return texts.title + QStringLiteral(" - ") + QFileInfo(projectPath).baseName();
}

bool FileToolWindow::MayDiscardChanges()
{
    return MayDiscardUnsavedChanges(this, [this]() { return SaveProject(); });
}

void FileToolWindow::on_actionNew_triggered()
{
    if (DeferWhileAdding([this]() { on_actionNew_triggered(); }))
        return;
    if (MayDiscardChanges())
        ResetSettings();
}

bool FileToolWindow::ReadProjectLines(const QString& path, QStringList& lines) const
{
    // Projects are UTF-8; bytes that are not are no project of ours.
    QString text;
    if (!TextFiles::ReadUtf8(path, kMaxProjectFileBytes, text))
        return false;
    // The lines as a line reader gives them: without their "\n" or "\r\n", and no empty line
    // after a final line end.
    lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return true;
}

void FileToolWindow::on_actionLoad_triggered()
{
    if (DeferWhileAdding([this]() { on_actionLoad_triggered(); }))
        return;
    // Asked before the file is chosen, as the user expects; nothing is discarded until a project
    // has been read, so a file dialog cancelled after the question keeps the list as it is.
    if (!MayDiscardChanges())
        return;
    const QString path = Prompts().OpenFileName(this, tr("Load Project"), GetProjectsFolder(), texts.projectFilter);
    if (path.isEmpty())
        return;
    QStringList lines;
    if (!ReadProjectLines(path, lines) || !ApplyProject(lines)) {
        Prompts().Warning(this, QString(), tr("Could not load file."));
        return;
    }
    UpdateFileList();
    projectPath = path;
    setWindowTitle(ProjectTitle());
}

void FileToolWindow::on_actionSave_triggered()
{
    if (DeferWhileAdding([this]() { on_actionSave_triggered(); }))
        return;
    SaveProject();
}

void FileToolWindow::on_actionSave_As_triggered()
{
    if (DeferWhileAdding([this]() { on_actionSave_As_triggered(); }))
        return;
    SaveProjectAs();
}

bool FileToolWindow::SaveProject()
{
    return projectPath.isEmpty() ? SaveProjectAs() : SaveProjectTo(projectPath);
}

bool FileToolWindow::SaveProjectAs()
{
    SaveFileOptions options;
    options.defaultSuffix = texts.projectExtension;
    const QString path =
        SaveFileNameWithSuffix(this, tr("Save Project"), GetProjectsFolder(), texts.projectFilter, options);
    return !path.isEmpty() && SaveProjectTo(path);
}

bool FileToolWindow::SaveProjectTo(const QString& path)
{
    // Written beside the old project and put in its place only when complete, so a failed save
    // leaves the old one as it was.
    if (!TextFiles::WriteUtf8(path, ProjectText())) {
        Prompts().Warning(this, QString(), tr("Could not save file."));
        return false;
    }
    projectPath = path;
    setWindowTitle(ProjectTitle());
    return true;
}

void FileToolWindow::on_actionExit_triggered()
{
    close();
}

void FileToolWindow::on_actionOnline_Help_triggered()
{
    OpenUrl(QUrl(AppIdentity::WebSite() + texts.helpPage));
}

// ---- Closing ----

bool FileToolWindow::ConfirmExitWhileWorking(QCloseEvent* event)
{
    if (!working)
        return true;
    jobEndedDuringExitQuestion = false;
    const QMessageBox::StandardButton answer = Prompts().Question(
        nullptr, QString(), texts.interruption, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, &exitQuestion);
    if (jobEndedDuringExitQuestion) {
        // Nothing is left to interrupt: the window stays and reports the job.
        jobEndedDuringExitQuestion = false;
        event->ignore();
        FinishJob();
        return false;
    }
    if (answer != QMessageBox::Yes) {
        event->ignore();
        return false;
    }
    ReleaseThread();
    working = false;
    UpdateStartButton();
    statusBar()->clearMessage();
    widgets.progress->setValue(0);
    return true;
}

void FileToolWindow::closeEvent(QCloseEvent* event)
{
    if (busy > 0) {
        // The add loop is still walking the list; the close comes when it is done.
        event->ignore();
        if (!closeDeferred) {
            closeDeferred = true;
            DeferWhileAdding([this]() {
                closeDeferred = false;
                close();
            });
        }
        return;
    }
    if (!MayDiscardChanges()) {
        event->ignore();
        return;
    }
    if (!ConfirmExitWhileWorking(event))
        return;
    ReleaseThread();
    working = false;
    ResetSettings();
    event->accept();
}

// ---- The outside world ----

bool FileToolWindow::IsReadablePDF(const QString& path) const
{
    return IsPDFReadable(path);
}

QString FileToolWindow::UnreadableReason(const QString& path) const
{
    return PDFUnreadableReason(path);
}

int FileToolWindow::PDFPageCount(const QString& path) const
{
    return GetPDFPageCount(path);
}

bool FileToolWindow::IsEncryptedPDF(const QString& path) const
{
    return IsPDFEncrypted(path);
}

void FileToolWindow::OpenUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

#include "moc_FileToolWindow.cpp"
