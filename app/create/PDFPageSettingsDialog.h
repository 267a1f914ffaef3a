#pragma once
// The modal question before a PDF export: the page type (0 A4, 1 Letter) and the margin in
// points (0 to 99, the spin box's range). The caller sets pageType and margin, runs the dialog
// (exec shows the fields first) and reads both after an Accepted result; which page size a type
// stands for is the caller's. One dialog per question, GUI thread.

#include <QDialog>

namespace Ui {
class PDFPageSettingsDialog;
}

class PDFPageSettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit PDFPageSettingsDialog(QWidget* parent = nullptr);
    ~PDFPageSettingsDialog() override;

    int exec() override;
    // Shows pageType and margin in the form, as exec does before its modal loop; a margin out of
    // the box's range becomes the nearest value it takes.
    void ShowSettings();

    int pageType = 0;
    int margin = 0;

private slots:
    void on_comboPageType_activated(int index);
    void on_spinPageMargin_valueChanged(int value);
    void on_buttonExport_clicked();
    void on_buttonCancel_clicked();

private:
    Ui::PDFPageSettingsDialog* ui;
};
