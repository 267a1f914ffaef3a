#pragma once
// The text extraction tool's window, built once by MainWindow with no parent and shown by its button.
// Its own form is still to come; for now it says that the tool is not available yet.

#include <QMainWindow>

class AppIdentity;

class ExtractTextFromScanWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit ExtractTextFromScanWindow(QWidget* parent = nullptr);

    // Prepares the tool for a new run and shows the window.
    void OpenWindow();

private:
    AppIdentity* identity;
};
