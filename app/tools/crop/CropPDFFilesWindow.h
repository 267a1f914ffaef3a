#pragma once
// The crop tool's window: a list of PDF files whose pages get one crop rectangle, in points or in
// percents of the first page as a reader shows it, on every page or on the page intervals of the
// first file, written as copies into an output folder under names made from a pattern. Built once
// by MainWindow with no parent; the frame (PageSizeToolWindow) gives it the list with each file's
// first-page size as shown, the document information, projects, closing, the overwrite question
// and the job's run. The settings members are the window's truth and always equal the widgets:
// every widget slot copies its value at once. A project (".cpf", UTF-8) holds the frame's list,
// the unit, the four values, the page-interval flag and text, the name pattern and the output
// folder.

#include "app/tools/PageSizeToolWindow.h"

class CropThread;
class QListWidgetItem;

namespace Ui {
class CropPDFFilesWindow;
}

class CropPDFFilesWindow : public PageSizeToolWindow {
    Q_OBJECT

public:
    explicit CropPDFFilesWindow(QWidget* parent = nullptr);
    ~CropPDFFilesWindow() override;

protected:
    ToolThread* CreateThread() override;
    void ReportFinishedJob() override;
    void ResetToolSettings() override;
    void UpdatePreview() override;
    void ClearPreview() override;
    QString ProjectText() const override;
    bool ApplyProject(const QStringList& lines) override;

private slots:
    void on_buttonCropFiles_clicked();
    void on_comboPositionMode_activated(int index);
    void on_spinCropRectOriginX_valueChanged(int value);
    void on_spinCropRectOriginY_valueChanged(int value);
    void on_spinCropRectWidth_valueChanged(int value);
    void on_spinCropRectHeight_valueChanged(int value);
    void on_checkPageIntervals_clicked(bool checked);
    void on_editPageIntervals_textChanged(const QString& text);
    void on_editOutputNames_textChanged(const QString& text);
    void on_buttonBrowse_clicked();

private:
    CropThread* Thread();
    // The widgets show the members (without their slots running); the spin boxes' ranges follow
    // the unit and the four values take what the spin boxes hold.
    void ApplySettingsToUi();

    Ui::CropPDFFilesWindow* ui;

    int unitMode = 1;
    int originX = 10;
    int originY = 10;
    int width = 80;
    int height = 80;
    bool usePageIntervals = false;
    QString pageIntervals;
    QString outputNames;
    QString outputFolder; // "/" separators
};
