#pragma once
// The shared frame of the merge, split, watermark and crop windows: the PDF file list and its
// add, remove and open menus, document information of a clicked file, projects (New, Load, Save,
// Save As), the "*" marker and the unsaved-changes question, the remembered folders, online
// help, and the start, progress and end of a job on the tool's worker thread. A tool window
// derives from it, builds its form (the common widgets carry the common object names, so the
// on_ slots here connect by name: "listPDFFiles", "buttonAdd", "buttonRemove", "labelDocInfo"),
// hands its progress bar and start button to SetUpFrame, calls ResetSettings and implements the
// hooks.
//
// The window owns its current thread object (made by OpenWindow, or by the first start) and
// never destroys it while it runs: a close the user confirms, and the destructor, ask the job to
// stop and wait for it first. Signals of a thread object that is no longer the current one are
// dropped. Adding files processes events after each file; meanwhile project actions and closing
// are put off until the adding has ended. GUI thread only.
//
// For the tools that write into a folder (split, watermark, crop) the frame also connects the
// engine (a FileToolEngine: progress and the overwrite question, answered by
// ShowOverwriteDialog), checks the output-name pattern as it is typed (CheckOutputNames),
// chooses the output folder (ChooseOutputFolder) and reports the failed sources with their
// reasons (ReportFailedSources). Every tool's outputs are written through a StagedOutput and
// replace an existing file only after success; a file refused while adding, and a source that
// failed, are named with the reason. The document information follows the list's current row,
// by keyboard as by mouse. Save As adds the project extension to a name that has none.

#include "app/Prompts.h"
#include "app/tools/FailedFile.h"
#include "app/tools/FileEntry.h"

#include <QList>
#include <QSet>
#include <QMainWindow>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class AppIdentity;
class FileToolEngine;
class QLineEdit;
class ListPDFFiles;
class QAction;
class QLabel;
class QListWidgetItem;
class QMenu;
class QProgressBar;
class QPushButton;
class QUrl;
class ToolThread;

class FileToolWindow : public QMainWindow {
    Q_OBJECT

public:
    // The texts in which the tools differ.
    struct Texts {
        QString title;               // "Merge PDF Documents"
        QString addingStatus;        // status while AddPDFFiles runs
        QString runningStatus;       // status while a job runs
        QString interruption;        // the question when closing during a job
        QString projectFilter;       // "Merge PDF Project (*.mpf)"
        QString projectExtension;    // "mpf"
        QString projectsFolderName;  // "Merge": Documents + "/Velloran/Merge PDF Projects"
        QString helpPage;            // "/support-merge.php"
        QString blankDocumentInfo;   // the document information without a file
    };

    // The common widgets of the tool's form.
    struct Widgets {
        ListPDFFiles* list = nullptr;
        QPushButton* add = nullptr;
        QPushButton* remove = nullptr;
        QLabel* documentInfo = nullptr;
        QProgressBar* progress = nullptr;
        QPushButton* start = nullptr;
        // Disabled together with the list while files are being added (merge: Move Up, Down).
        QList<QWidget*> listControls;
    };

    ~FileToolWindow() override;

    // Called by MainWindow for the tool's button. While a job runs it only brings the window to
    // the front; otherwise it replaces the thread object by a fresh one and shows the window
    // (placed over the main window when it was hidden).
    void OpenWindow();

    bool IsWorking() const { return working; }

public slots:
    void UpdateProgress(int progress);
    // The overwrite question of the current job's engine: asks the user and stores the answer.
    void ShowOverwriteDialog(QString filePath);

protected:
    FileToolWindow(const Texts& texts, QWidget* parent);

    // Finds the common widgets of the form by their names, makes the menus, connects them and the
    // list, and styles the list buttons. Once, after the form has been set up and before
    // ResetSettings. listControls are disabled with the list while files are being added.
    void SetUpFrame(QProgressBar* progress, QPushButton* start, const QList<QWidget*>& listControls = {});

    // ---- Hooks of the tools ----

    // A new thread object for OpenWindow. The tool connects its engine's signals through
    // ConnectJobSignal; finished() is connected by the frame.
    virtual ToolThread* CreateThread() = 0;
    // Runs when the current job has ended, after the frame has re-enabled the start button and
    // reset the progress; reports the result.
    virtual void ReportFinishedJob() = 0;
    // The tool's own defaults, applied by ResetSettings before the marker is cleared.
    virtual void ResetToolSettings() {}
    // The entry for a file accepted into the list (watermark and crop: with its page size).
    virtual FileEntry MakeFileEntry(const QString& path) const;
    // The entry of one file line of a project, which is not opened again (a line holds the path,
    // or for watermark and crop the path and the saved page size).
    virtual FileEntry EntryFromProjectLine(const QString& line) const { return MakeFileEntry(line); }
    // Document information of the current file, and the blank state. The frame calls them when
    // the current row changes and when a row is clicked.
    virtual void ShowDocumentInfo(const QString& path);
    virtual void ResetDocumentInfo();
    // After an add operation has refilled the list (watermark and crop reset their information).
    virtual void FilesAdded() {}
    // The project file's text (UTF-8 on disk).
    virtual QString ProjectText() const = 0;
    // The lines of a project file that has been read. False when they are no project of this
    // tool, with nothing changed; otherwise ResetSettings, then the values are taken over.
    // The frame then refills the list and sets the path and title.
    virtual bool ApplyProject(const QStringList& lines) = 0;

    // The outside world, replaced in tests. The merge window also asks IsReadablePDF on its
    // worker thread, about the output of a finished merge: it must not touch widgets.
    // UnreadableReason decides whether a file may join the list: empty, or why not.
    virtual bool IsReadablePDF(const QString& path) const;
    virtual QString UnreadableReason(const QString& path) const;
    virtual int PDFPageCount(const QString& path) const;
    virtual bool IsEncryptedPDF(const QString& path) const;
    virtual void OpenUrl(const QUrl& url);

    // ---- Operations for the tools ----

    void AddPDFFiles(const QStringList& paths, bool quiet);
    void AddPDFFilesFromFolder(const QString& folder, bool withSubfolders);
    void UpdateFileList();
    void ClearFileListWidget();
    void ShowUnloadableFilesMessage();
    // The defaults: no project, empty list, the tool's title and settings, no "*".
    void ResetSettings();
    QString GetProjectsFolder() const;
    // Whether a project's line holds a control character, which none of its paths and output
    // names does: no file name holds a NUL, and the system cuts a name at it.
    static bool HoldsControlCharacter(const QString& line);
    // The list entries of a project's path lines: empty lines are skipped; false when a line
    // holds a control character.
    bool EntriesFromProjectLines(const QStringList& lines, QList<FileEntry>& entries) const;
    QStringList FilePaths() const;
    // The document information of a file: its page count, its first page's size when one is
    // given, whether it is encrypted and its size in KB, one a line.
    QString DocumentInfoText(const QString& path, const QSize& pageSize = QSize()) const;
    bool IsAdding() const { return busy > 0; }

    // The current thread object, made when there is none yet.
    ToolThread* JobThread();
    // Starts the current thread; the tool has filled its fields.
    void StartJob();
    // Stops a running job, waits for it and deletes the thread object. A tool whose job calls
    // back into the window calls it first in its destructor.
    void ReleaseThread();

    // Connects the engine of a new thread object (in CreateThread): its progress to the bar, its
    // overwrite question to ShowOverwriteDialog.
    void ConnectEngine(FileToolEngine* engine);
    // The output-name check as the user types: a text with a character no file name may hold is
    // cleaned (the field shows the cleaned text) after a warning. The text to keep.
    QString CheckOutputNames(QLineEdit* field, const QString& text);
    // The folder dialog of the output folder, starting at `current`; a chosen folder is
    // remembered under the key and returned with "/" separators, else an empty text.
    QString ChooseOutputFolder(const char* settingsKey, const QString& current);
    // Browse: the folder dialog above; a chosen folder becomes `folder` and `field` shows it.
    void BrowseOutputFolder(const char* settingsKey, QString& folder, QLineEdit* field);
    // The name pattern of a project line, cleaned of what no file name may hold (noted among the
    // problems), and the warning that lists a loaded project's problems, if it has any.
    QString ProjectOutputNames(const QString& line, QStringList& problems) const;
    void WarnAboutProjectProblems(const QStringList& problems);
    // The end of a split, watermark or crop job: the success text, or the header and the
    // failed sources with their reasons; then the note, if any (what the job passed over).
    void ReportFailedSources(const QList<FailedFile>& failed, const QString& successText, const QString& header,
                             const QString& note = QString());

    // Connects a signal of the current thread's engine to a handler on the GUI thread (queued,
    // as the engine emits on the worker); a signal of an older thread object is dropped.
    template <class Sender, class... Args, class Handler>
    void ConnectJobSignal(Sender* sender, void (Sender::*signal)(Args...), Handler handler)
    {
        const quint64 generation = threadGeneration;
        connect(sender, signal, this, [this, generation, handler](Args... args) {
            if (generation == threadGeneration)
                handler(args...);
        });
    }

    void closeEvent(QCloseEvent* event) override;

    QList<FileEntry> fileEntries;
    QList<FailedFile> unloadableFiles;
    QString projectPath;
    Widgets widgets;

protected slots:
    void OnAddDragAndDropFiles(QStringList listFilePaths);
    void OnAddFiles();
    void OnAddFolder();
    void OnAddFolderWithSubfolders();
    void OnRemoveSelected();
    void OnRemoveAll();
    void OnOpen();
    void ShowContextMenu(const QPoint& point);
    void OnCurrentRowChanged(int row);

    void on_buttonAdd_clicked();
    void on_buttonRemove_clicked();
    void on_listPDFFiles_itemClicked(QListWidgetItem* item);
    void on_actionNew_triggered();
    void on_actionLoad_triggered();
    void on_actionSave_triggered();
    void on_actionSave_As_triggered();
    void on_actionExit_triggered();
    void on_actionOnline_Help_triggered();

private:
    // Held by every add operation for its whole length (dialogs aside).
    class BusyScope;

    void ScanFolder(const QString& folder, bool withSubfolders, QSet<QString>& visited);
    void DisableListControls(const QString& statusText);
    void EnableListControls();
    // The end of an add operation that was not quiet: the list refilled, the controls back,
    // the rejected files reported.
    void FinishAdding();
    // The folder dialog of both folder actions; remembers a chosen folder.
    QString ChooseFolderToAdd();
    // True when files are being added: the action then runs once the adding has ended.
    bool DeferWhileAdding(std::function<void()> action);
    void RunDeferredActions();
    void UpdateStartButton();
    // The close guard while a job runs; a job that ends while it asks closes the question, and
    // the window stays open with the job's report.
    bool ConfirmExitWhileWorking(QCloseEvent* event);
    void OnThreadFinished(quint64 generation);
    // The end of the current job: the window idle again, and the tool's report.
    void FinishJob();
    bool ReadProjectLines(const QString& path, QStringList& lines) const;
    // The unsaved-changes question before close, New and Load discard the list and settings;
    // true when they may go on.
    bool MayDiscardChanges();
    // Save and Save As; true when the project was written. The path becomes the project's only
    // once the file is complete, so a cancelled or failed save leaves project and title as they were.
    bool SaveProject();
    bool SaveProjectAs();
    bool SaveProjectTo(const QString& path);
    QString ProjectTitle() const;

    Texts texts;
    AppIdentity* identity;
    ToolThread* thread = nullptr;
    // Counts the thread objects; a queued signal carries the count of its own.
    quint64 threadGeneration = 0;
    bool working = false;
    // Nesting depth of add operations; project actions and closing wait while it is not 0.
    int busy = 0;
    bool listControlsDisabled = false;
    QList<std::function<void()>> deferredActions;
    bool closeDeferred = false;
    QMenu* addMenu = nullptr;
    QMenu* removeMenu = nullptr;
    QMenu* contextMenu = nullptr;
    // The close guard's question while it is open, and whether the job ended meanwhile.
    QuestionCloser exitQuestion;
    bool jobEndedDuringExitQuestion = false;
    // The engine whose question may be open; cleared with its thread object.
    FileToolEngine* engine = nullptr;
    // The row a mouse press made current (and whose information it showed) until its click.
    QString pressedPath;
};
