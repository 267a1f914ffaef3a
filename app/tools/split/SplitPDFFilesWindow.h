#pragma once
// The split tool's window: a list of PDF files split into parts of a fixed number of pages, or
// the first file split along a page-range text, into an output folder under names made from a
// pattern. Built once by MainWindow with no parent; the frame (FileToolWindow) gives it the list,
// projects, closing, the overwrite question and the job's run. The settings members are the
// window's truth: every widget slot copies its value at once, and projects and jobs are filled
// from the members. A project (".spf", UTF-8) holds the listed paths, "EndOfList", the mode, the
// pages per interval, the page-range text, the name pattern and the output folder; a project
// whose values cannot be used keeps the defaults for them and says so.

#include "app/tools/FileToolWindow.h"

class QAction;
class SplitThread;

namespace Ui {
class SplitPDFFilesWindow;
}

class SplitPDFFilesWindow : public FileToolWindow {
    Q_OBJECT

public:
    explicit SplitPDFFilesWindow(QWidget* parent = nullptr);
    ~SplitPDFFilesWindow() override;

protected:
    ToolThread* CreateThread() override;
    void ReportFinishedJob() override;
    void ResetToolSettings() override;
    QString ProjectText() const override;
    bool ApplyProject(const QStringList& lines) override;

private slots:
    void OnFileName();
    void OnIntervalIndex();
    void OnIntervalStart();
    void OnIntervalEnd();
    void on_buttonSplitFiles_clicked();
    void on_radioPageSplit_clicked(bool checked);
    void on_radioIntervalSplit_clicked(bool checked);
    void on_spinPagesPerInterval_valueChanged(int value);
    void on_editIntervals_textChanged(const QString& text);
    void on_editOutputNames_textChanged(const QString& text);
    void on_buttonBrowse_clicked();
    void on_buttonAddToken_clicked();

private:
    SplitThread* Thread();
    // The widgets show the members (without their slots running).
    void ApplySettingsToUi();

    Ui::SplitPDFFilesWindow* ui;
    QMenu* tokenMenu = nullptr;

    int mode = 1;
    int pagesPerInterval = 1;
    QString pageIntervals;
    QString outputNames;
    QString outputFolder; // "/" separators
};
