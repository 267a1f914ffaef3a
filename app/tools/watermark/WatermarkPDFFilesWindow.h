#pragma once
// The watermark tool's window: a list of PDF files (each with its first page's size) marked with
// a line of text in a system TrueType font or with an image, at one of seven positions with
// offsets in points or percents of the first page as shown, on every page or on the page
// intervals of the first file, into an output folder under names made from a pattern. Built once
// by MainWindow with no parent; the frame (PageSizeToolWindow) gives it the list with the page
// sizes, the document information, projects, closing, the overwrite question and the job's run. The
// settings members are the window's truth: every widget slot copies its value at once, and
// projects, the preview and jobs are read from the members. The preview sketches the selected
// file's first page with the mark's rectangle. A project (".wpf", UTF-8) holds the frame's list
// and every setting of both modes; a font named by a project is looked up in the font catalog,
// never joined to a folder, and one that is not installed gives way to the font the box shows.
// A text mark needs a text that its font can show: the window starts no job without one, nor with
// a character the font has no glyph for.

#include "app/tools/PageSizeToolWindow.h"

class FontCatalog;
class WatermarkThread;

namespace Ui {
class WatermarkPDFFilesWindow;
}

class WatermarkPDFFilesWindow : public PageSizeToolWindow {
    Q_OBJECT

public:
    // The catalog lists the fonts offered (not owned; null: the system's shared catalog).
    explicit WatermarkPDFFilesWindow(QWidget* parent = nullptr, const FontCatalog* catalog = nullptr);
    ~WatermarkPDFFilesWindow() override;

    // The window's settings, as jobs and projects take them.
    int watermarkMode = 1;
    QString text;
    QString fontName;
    int fontSize = 16;
    unsigned int color = 0;
    QString imagePath;
    int scale = 100;
    int position = 2;
    int unitMode = 0;
    int offsetX = 50;
    int offsetY = 50;
    bool pageIntervalsEnabled = false;
    QString pageIntervals;
    QString outputNames;
    QString outputFolder; // "/" separators

    // The font a new window and New choose: "Arial" when the catalog has it, else its first font.
    QString DefaultFontName() const;

protected:
    ToolThread* CreateThread() override;
    void ReportFinishedJob() override;
    void ResetToolSettings() override;
    QString ProjectText() const override;
    bool ApplyProject(const QStringList& lines) override;

private slots:
    void OnPageNumber();
    void OnCopyrightSymbol();
    void OnTrademarkSymbol();
    void OnRegisteredTrademarkSymbol();
    void on_buttonWatermarkFiles_clicked();
    void on_radioTextWatermark_clicked(bool checked);
    void on_radioImageWatermark_clicked(bool checked);
    void on_editText_textChanged(const QString& value);
    void on_buttonAddToken_clicked();
    void on_comboFont_activated(const QString& value);
    void on_spinSize_valueChanged(int value);
    void on_buttonColor_clicked();
    void on_buttonBrowseImage_clicked();
    void on_spinScale_valueChanged(int value);
    void on_comboPosition_activated(int index);
    void on_comboPositionMode_activated(int index);
    void on_spinOffsetX_valueChanged(int value);
    void on_spinOffsetY_valueChanged(int value);
    void on_checkPageIntervals_clicked(bool checked);
    void on_editPageIntervals_textChanged(const QString& value);
    void on_editOutputNames_textChanged(const QString& value);
    void on_buttonBrowse_clicked();

public:
    // Redraws the preview of the selected file's first page; keeps the picture without a
    // selected row.
    void UpdatePreview() override;
    void ClearPreview() override;

private:
    WatermarkThread* Thread();
    // The widgets show the members (without their slots running).
    void ApplySettingsToUi();
    void EnableOffsetsForPosition();
    void SetOffsetRanges();

    Ui::WatermarkPDFFilesWindow* ui;
    const FontCatalog& catalog;
    QMenu* tokenMenu = nullptr;
};
