#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/AppIdentity.h"
#include "app/Prompts.h"
#include "app/WindowPlacement.h"
#include "ui_MainWindow.h"

#include <QPushButton>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), ui(new Ui::MainWindow), identity(nullptr)
{
    ui->setupUi(this);
    identity = AppIdentity::Instance();
    // The tool windows and the dialogs without a parent open over this window.
    SetMainWindowForPlacement(this);
    // Icon and text at the left edge of each button.
    for (QPushButton* button : {ui->buttonCreateNewPDF, ui->buttonExtractTextFromScan, ui->buttonSplitPDFFiles,
                                ui->buttonMergePDFFiles, ui->buttonWatermarkPDFFiles, ui->buttonCropPDFFiles,
                                ui->buttonAbout})
        button->setStyleSheet(QStringLiteral("text-align: left"));
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::on_buttonCreateNewPDF_clicked()
{
    // The editor keeps whatever it held.
    ShowPlaced(&createNewPDFWindow);
}

void MainWindow::on_buttonMergePDFFiles_clicked()
{
    mergePDFFilesWindow.OpenWindow();
}

void MainWindow::on_buttonSplitPDFFiles_clicked()
{
    splitPDFFilesWindow.OpenWindow();
}

void MainWindow::on_buttonWatermarkPDFFiles_clicked()
{
    watermarkPDFFilesWindow.OpenWindow();
}

void MainWindow::on_buttonExtractTextFromScan_clicked()
{
    extractTextFromScanWindow.OpenWindow();
}

void MainWindow::on_buttonCropPDFFiles_clicked()
{
    cropPDFFilesWindow.OpenWindow();
}

void MainWindow::on_buttonAbout_clicked()
{
    AboutDialog dialog;
    Prompts().RunDialog(dialog);
}

#include "moc_MainWindow.cpp"
