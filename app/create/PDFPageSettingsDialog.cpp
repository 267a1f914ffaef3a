#include "app/create/PDFPageSettingsDialog.h"

#include "ui_PDFPageSettingsDialog.h"

PDFPageSettingsDialog::PDFPageSettingsDialog(QWidget* parent) : QDialog(parent), ui(new Ui::PDFPageSettingsDialog)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->comboPageType->addItem(tr("A4"));
    ui->comboPageType->addItem(tr("Letter"));
}

PDFPageSettingsDialog::~PDFPageSettingsDialog()
{
    delete ui;
}

int PDFPageSettingsDialog::exec()
{
    ShowSettings();
    return QDialog::exec();
}

void PDFPageSettingsDialog::ShowSettings()
{
    ui->comboPageType->setCurrentIndex(pageType);
    ui->spinPageMargin->setValue(margin);
    // The box keeps the value in its range, and no change is signalled when it showed it already.
    margin = ui->spinPageMargin->value();
}

void PDFPageSettingsDialog::on_comboPageType_activated(int index)
{
    pageType = index;
}

void PDFPageSettingsDialog::on_spinPageMargin_valueChanged(int value)
{
    margin = value;
}

void PDFPageSettingsDialog::on_buttonExport_clicked()
{
    accept();
}

void PDFPageSettingsDialog::on_buttonCancel_clicked()
{
    reject();
}

#include "moc_PDFPageSettingsDialog.cpp"
