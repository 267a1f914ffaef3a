#pragma once
// The launcher: one large button per tool and an About button. It owns the six tool windows
// for the whole life of the process (held by value, no parent, hidden until their button is
// pressed) and has no close handling of its own: closing it leaves open tool windows open.

#include "app/create/CreateNewPDFWindow.h"
#include "app/ocr/ExtractTextFromScanWindow.h"
#include "app/tools/crop/CropPDFFilesWindow.h"
#include "app/tools/merge/MergePDFFilesWindow.h"
#include "app/tools/split/SplitPDFFilesWindow.h"
#include "app/tools/watermark/WatermarkPDFFilesWindow.h"

#include <QMainWindow>

class AppIdentity;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

private slots:
    void on_buttonCreateNewPDF_clicked();
    void on_buttonMergePDFFiles_clicked();
    void on_buttonSplitPDFFiles_clicked();
    void on_buttonWatermarkPDFFiles_clicked();
    void on_buttonExtractTextFromScan_clicked();
    void on_buttonCropPDFFiles_clicked();
    void on_buttonAbout_clicked();

private:
    Ui::MainWindow* ui;
    AppIdentity* identity;
    // The first of these asks for the application identity before anything reads a setting.
    CreateNewPDFWindow createNewPDFWindow;
    MergePDFFilesWindow mergePDFFilesWindow;
    SplitPDFFilesWindow splitPDFFilesWindow;
    WatermarkPDFFilesWindow watermarkPDFFilesWindow;
    ExtractTextFromScanWindow extractTextFromScanWindow;
    CropPDFFilesWindow cropPDFFilesWindow;
};
