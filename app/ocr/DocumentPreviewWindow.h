#pragma once
// The preview of the chosen scan: a top-level window (made with no parent by the text
// extraction window, which owns it) that fits the image into its scroll area and zooms it from
// one to three times that size. The image is read when a new path is given and kept, also while
// the window is hidden; a path that holds no readable image, or one that ImageFiles refuses (no
// JPEG or PNG, or too large to decode), shows nothing. GUI thread only.

#include <QMainWindow>
#include <QPixmap>
#include <QString>

namespace Ui {
class DocumentPreviewWindow;
}

class DocumentPreviewWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit DocumentPreviewWindow(QWidget* parent = nullptr);
    ~DocumentPreviewWindow() override;

    // Reads the image at path unless it is the path shown already; a new image starts at zoom 100.
    void SetImage(QString path);
    // Scales the image to the scroll area's size times the zoom, keeping its aspect ratio.
    void UpdateZoom();
    // Opens placed over the main window (PlaceWindow).
    void setVisible(bool visible) override;

private slots:
    void on_sliderPreviewZoom_valueChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Ui::DocumentPreviewWindow* ui;
    QPixmap pixmap;
    QString imagePath;
};
