#pragma once
// The Extract Text from Scan tool: the user picks a scanned page, may preview it, chooses a
// language and starts the recognition on a TextExtractThread; the text lands in a small
// rich-text editor, from which it is exported to a PDF file (A4, the margin slider's value in
// points), exported to a text file or appended to one. An export replaces its target only once
// the new file is complete. Built once by
// MainWindow with no parent and shown by its button (OpenWindow); closing it resets it.
//
// The window owns its current thread object and never destroys it while it runs: closing during
// a recognition asks first, then cancels the recognition and waits for the thread. A finished()
// of a thread object that is no longer the current one is dropped. GUI thread only.

#include "app/ocr/DocumentPreviewWindow.h"

#include <QMainWindow>
#include <QString>

class AppIdentity;
class TextExtractThread;

namespace Ui {
class ExtractTextFromScanWindow;
}

class ExtractTextFromScanWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit ExtractTextFromScanWindow(QWidget* parent = nullptr);
    ~ExtractTextFromScanWindow() override;

    // Prepares a fresh thread object and shows the window; while a recognition runs it only
    // brings the window to the front.
    void OpenWindow();
    // The window's defaults: no scan, an empty editor in Times New Roman 12, margin 50, English.
    void ResetSettings();
    void UpdateAlignmentButtons();
    void UpdateFontSizeCombo();

    bool IsExtracting() const { return extracting; }
    // The folder of the language data; empty (the default) means the program's folder.
    void SetLanguageDataPath(const QString& folder) { languageDataPath = folder; }
    DocumentPreviewWindow& Preview() { return preview; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_buttonSelectScan_clicked();
    void on_buttonDocumentPreview_clicked();
    void on_buttonAlignLeft_clicked();
    void on_buttonAlignCenter_clicked();
    void on_buttonAlignRight_clicked();
    void on_buttonBold_clicked();
    void on_buttonItalic_clicked();
    void on_comboFontSize_activated(const QString& size);
    void on_comboFont_activated(const QString& family);
    void on_editText_cursorPositionChanged();
    void on_sliderDocumentMargin_valueChanged(int value);
    void on_buttonExtractText_clicked();
    void on_buttonExportToPDF_clicked();
    void on_buttonExportToTXT_clicked();
    void on_buttonAppendToTXT_clicked();

private:
    // Shows the result of the current thread's recognition.
    void TextExtractThreadFinished();
    TextExtractThread* JobThread();
    // Cancels a running recognition, waits for it and deletes the thread object.
    void ReleaseThread();
    void SetAlignment(Qt::Alignment alignment);
    void UpdateBoldItalicButtons();
    // The save or open dialog of an export; remembers the folder of a chosen file. A name typed
    // into the save dialog without an extension gets the suffix.
    QString ChooseFile(bool existing, const QString& caption, const char* settingsKey, const QString& filter,
                       const QString& suffix = QString());

    Ui::ExtractTextFromScanWindow* ui;
    AppIdentity* identity;
    TextExtractThread* thread = nullptr;
    DocumentPreviewWindow preview;
    QString scanPath;
    bool extracting = false;
    QString languageDataPath;
    // Counts the thread objects; a queued finished() carries the count of its own.
    quint64 threadGeneration = 0;
};
