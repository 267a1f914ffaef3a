#include "app/AboutDialog.h"

#include "app/AppIdentity.h"
#include "ui_AboutDialog.h"

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui(new Ui::AboutDialog), identity(nullptr)
{
    ui->setupUi(this);
    identity = AppIdentity::Instance();
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->labelTitle->setText(tr("Velloran Version ") + identity->Version());
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

#include "moc_AboutDialog.cpp"
