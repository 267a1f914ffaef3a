#pragma once
// The merge tool's window: an ordered list of PDF files that the user can reorder, merged into
// one file chosen at each start. Built once by MainWindow with no parent; the frame
// (FileToolWindow) gives it the list, projects, closing and the job's run. The output is never
// one of the listed files (refused before the question whether to replace it), an existing
// output is replaced only by a complete merge, and the report names the inputs that could not
// be added and why.

#include "app/tools/FileToolWindow.h"
#include "app/tools/merge/IMergeOutput.h"

class MergeThread;

namespace Ui {
class MergePDFFilesWindow;
}

class MergePDFFilesWindow : public FileToolWindow {
    Q_OBJECT

public:
    explicit MergePDFFilesWindow(QWidget* parent = nullptr);
    ~MergePDFFilesWindow() override;

protected:
    ToolThread* CreateThread() override;
    void ReportFinishedJob() override;
    // One path per line, each ended by "\n".
    QString ProjectText() const override;
    bool ApplyProject(const QStringList& lines) override;

    // What each job writes through; empty for the library's PDFWriter. Tests replace it.
    virtual MergeOutputFactory OutputFactory() const;

private slots:
    void on_buttonMoveUp_clicked();
    void on_buttonMoveDown_clicked();
    void on_buttonMergeFiles_clicked();

private:
    MergeThread* Thread();
    void MoveCurrentFile(int offset);

    Ui::MergePDFFilesWindow* ui;
};
