#pragma once
// The modal About box: the product picture, name and version, a notice, a link to the maker's
// site and the credits of the libraries the program uses. Made on the stack for each viewing
// and run through Prompts().RunDialog.

#include <QDialog>

class AppIdentity;

namespace Ui {
class AboutDialog;
}

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

private:
    Ui::AboutDialog* ui;
    AppIdentity* identity;
};
