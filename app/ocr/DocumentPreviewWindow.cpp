#include "app/ocr/DocumentPreviewWindow.h"

#include "app/ImageFiles.h"
#include "app/WindowPlacement.h"
#include "ui_DocumentPreviewWindow.h"

DocumentPreviewWindow::DocumentPreviewWindow(QWidget* parent) : QMainWindow(parent), ui(new Ui::DocumentPreviewWindow)
{
    ui->setupUi(this);
}

DocumentPreviewWindow::~DocumentPreviewWindow()
{
    delete ui;
}

void DocumentPreviewWindow::SetImage(QString path)
{
    if (path == imagePath)
        return;
    QString reason; // an image that cannot be shown shows nothing
    pixmap = QPixmap::fromImage(ImageFiles::Read(path, reason));
    imagePath = path;
    // A slider already at 100 sends no signal, so the new image is drawn here as well.
    ui->sliderPreviewZoom->setValue(100);
    UpdateZoom();
}

void DocumentPreviewWindow::UpdateZoom()
{
    const float factor = static_cast<float>(ui->sliderPreviewZoom->value()) / 100.0f;
    const int width = static_cast<int>(static_cast<float>(ui->scrollImagePreview->width()) * factor);
    const int height = static_cast<int>(static_cast<float>(ui->scrollImagePreview->height()) * factor);
    if (pixmap.isNull() || width <= 0 || height <= 0) {
        ui->labelImagePreview->setPixmap(QPixmap());
        return;
    }
    ui->labelImagePreview->setPixmap(pixmap.scaled(width, height, Qt::KeepAspectRatio, Qt::FastTransformation));
}

void DocumentPreviewWindow::setVisible(bool visible)
{
    if (visible && !isVisible())
        PlaceWindow(this);
    QMainWindow::setVisible(visible);
}

void DocumentPreviewWindow::on_sliderPreviewZoom_valueChanged()
{
    UpdateZoom();
}

void DocumentPreviewWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    UpdateZoom();
}

void DocumentPreviewWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    UpdateZoom();
}

#include "moc_DocumentPreviewWindow.cpp"
