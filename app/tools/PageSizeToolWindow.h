#pragma once
// The frame of the tools whose list keeps each file's first-page size (watermark and crop). The
// size is read once, when a file joins the list, and a project keeps it: one "path|width|height"
// line per file, closed by "EndOfList". The document information of the current file shows that
// size, and the tool's preview of the first page follows the current row. Values in percents of
// that page (offsets, a crop rectangle) turn into points and back through one conversion.
// GUI thread only.

#include "app/tools/FileToolWindow.h"

#include <QSize>

class PageSizeToolWindow : public FileToolWindow {
protected:
    PageSizeToolWindow(const Texts& texts, QWidget* parent);

    // Redraws the preview of the current row's first page; without a current row the picture stays.
    virtual void UpdatePreview() = 0;
    // Empties the preview.
    virtual void ClearPreview() = 0;

    // A file joins the list with its first page's size as a reader shows it (cropped, turned:
    // GetPDFShownPageSize), where both tools measure their marks and rectangles and count their
    // percents, so that the preview and the unit switch agree with the output.
    FileEntry MakeFileEntry(const QString& path) const override;
    // The size is the last two fields, so that a path holding "|" stays whole; a line without two
    // "|" is a path whose size is unknown (0 x 0).
    FileEntry EntryFromProjectLine(const QString& line) const override;
    void ShowDocumentInfo(const QString& path) override;
    void ResetDocumentInfo() override;
    void FilesAdded() override;

    // The list part of a project: the entries' lines and "EndOfList".
    QString ProjectListText() const;
    // The entries of a project's lines before "EndOfList", and the lines after it (the tool's
    // settings); false when there is no such line or a line that no project holds.
    bool ReadProjectList(const QStringList& lines, QList<FileEntry>& entries, QStringList& settings) const;

    // The first-page size of the current row, or of the first row, or A4 for an empty list; a
    // side of 0 or less counts as A4.
    QSize ReferencePageSize() const;
    // A value measured along the reference page's width (horizontal) or height (vertical): percents
    // into points, or points into percents (0-100).
    int ConvertToUnit(int value, Qt::Orientation along, bool toPoints) const;
};
