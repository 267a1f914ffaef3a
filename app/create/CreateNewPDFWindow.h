#pragma once
// The Create New PDF tool's window, built once by MainWindow with no parent and shown by its button.
// Its own form is still to come; for now it says that the tool is not available yet.

#include <QMainWindow>

class AppIdentity;

class CreateNewPDFWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit CreateNewPDFWindow(QWidget* parent = nullptr);

private:
    AppIdentity* identity;
};
