#pragma once
// The modal question "overwrite this existing file?" with the answers Yes, Yes to All, No and
// No to All (OverwriteDecision values 1 to 4). The caller sets filePath before showing it and
// reads answer afterwards; closing it without a button (Escape, title bar) leaves answer at No.
// One dialog per question, on the GUI thread.

#include <QDialog>
#include <QString>

namespace Ui {
class OverwriteDialog;
}

class OverwriteDialog : public QDialog {
    Q_OBJECT

public:
    explicit OverwriteDialog(QWidget* parent = nullptr);
    ~OverwriteDialog() override;

    QString filePath;
    int answer;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void on_buttonYes_clicked();
    void on_buttonYesToAll_clicked();
    void on_buttonNo_clicked();
    void on_buttonNoToAll_clicked();

private:
    void Answer(int value);

    Ui::OverwriteDialog* ui;
};
