#include "app/tools/OverwriteDialog.h"

#include "app/tools/OverwriteDecision.h"
#include "ui_OverwriteDialog.h"

#include <QDir>

OverwriteDialog::OverwriteDialog(QWidget* parent)
    : QDialog(parent), answer(OverwriteDecision::No), ui(new Ui::OverwriteDialog)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

OverwriteDialog::~OverwriteDialog()
{
    delete ui;
}

void OverwriteDialog::showEvent(QShowEvent* event)
{
    ui->labelFile->setText(QDir::toNativeSeparators(filePath));
    QDialog::showEvent(event);
}

void OverwriteDialog::Answer(int value)
{
    answer = value;
    accept();
}

void OverwriteDialog::on_buttonYes_clicked()
{
    Answer(OverwriteDecision::Yes);
}

void OverwriteDialog::on_buttonYesToAll_clicked()
{
    Answer(OverwriteDecision::YesToAll);
}

void OverwriteDialog::on_buttonNo_clicked()
{
    Answer(OverwriteDecision::No);
}

void OverwriteDialog::on_buttonNoToAll_clicked()
{
    Answer(OverwriteDecision::NoToAll);
}

#include "moc_OverwriteDialog.cpp"
