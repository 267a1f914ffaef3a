#pragma once
// The modal question for the pixel size of an image being inserted or resized. Width and height
// are linked through the image's aspect ratio (a change of one box sets the other) and kept
// between 1 and 10000, in the members as in the boxes; OK asks first when the size exceeds the
// larger page (612 x 842). An image without a size (one that could not be read) is refused with a
// warning instead of being shown. The caller sets width and height to the image's size, runs the
// dialog and reads both after an Accepted result. Messages go through the prompts; GUI thread.

#include <QDialog>

namespace Ui {
class ResizeImageDialog;
}

class ResizeImageDialog : public QDialog {
    Q_OBJECT

public:
    explicit ResizeImageDialog(QWidget* parent = nullptr);
    ~ResizeImageDialog() override;

    // Rejected at once, after the warning, for an image without a size.
    int exec() override;
    // What exec does before its modal loop: takes the aspect ratio and shows the size; false,
    // after a warning, when width or height is not positive.
    bool ShowSize();

    float aspectRatio = 1;
    int width = 0;
    int height = 0;
    bool acceptChange = true;

private slots:
    void on_buttonOK_clicked();
    void on_buttonCancel_clicked();
    void on_spinWidth_valueChanged(int value);
    void on_spinHeight_valueChanged(int value);

private:
    Ui::ResizeImageDialog* ui;
};
