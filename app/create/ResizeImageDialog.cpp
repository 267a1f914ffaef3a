#include "app/create/ResizeImageDialog.h"

#include "app/Prompts.h"
#include "ui_ResizeImageDialog.h"

#include <algorithm>

namespace {

const int scMinimumSide = 1;
const int scMaximumSide = 10000;
// The larger of the A4 and Letter widths and heights, in points.
const int scLargestPageWidth = 612;
const int scLargestPageHeight = 842;

// Truncated toward zero, then kept in the boxes' range: a linked side may not reach 0 (an empty
// image) or leave what the boxes can show.
int LinkedSide(float inValue)
{
    if (!(inValue < float(scMaximumSide)))
        return scMaximumSide;
    return std::max(scMinimumSide, static_cast<int>(inValue));
}

} // namespace

ResizeImageDialog::ResizeImageDialog(QWidget* parent) : QDialog(parent), ui(new Ui::ResizeImageDialog)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

ResizeImageDialog::~ResizeImageDialog()
{
    delete ui;
}

int ResizeImageDialog::exec()
{
    if (!ShowSize())
        return QDialog::Rejected;
    return QDialog::exec();
}

bool ResizeImageDialog::ShowSize()
{
    if (width <= 0 || height <= 0) {
        Prompts().Warning(nullptr, QString(), tr("The image could not be read."));
        return false;
    }
    aspectRatio = float(width) / float(height);
    ui->spinWidth->setValue(std::min(width, scMaximumSide));
    ui->spinHeight->setValue(std::min(height, scMaximumSide));
    // A side beyond the boxes' range was not signalled as a change when the box already showed its
    // largest value.
    width = ui->spinWidth->value();
    height = ui->spinHeight->value();
    return true;
}

void ResizeImageDialog::on_buttonOK_clicked()
{
    if (width > scLargestPageWidth || height > scLargestPageHeight) {
        const QMessageBox::StandardButton answer = Prompts().Question(
            nullptr, QString(),
            tr("The image is too large and may not fit in an A4 (595x842) or Letter (612x792) page. Continue?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes)
            return;
    }
    accept();
}

void ResizeImageDialog::on_buttonCancel_clicked()
{
    reject();
}

void ResizeImageDialog::on_spinWidth_valueChanged(int value)
{
    if (!acceptChange)
        return;
    width = value;
    height = LinkedSide(float(value) / aspectRatio);
    acceptChange = false;
    ui->spinHeight->setValue(height);
    acceptChange = true;
}

void ResizeImageDialog::on_spinHeight_valueChanged(int value)
{
    if (!acceptChange)
        return;
    height = value;
    width = LinkedSide(float(value) * aspectRatio);
    acceptChange = false;
    ui->spinWidth->setValue(width);
    acceptChange = true;
}

#include "moc_ResizeImageDialog.cpp"
