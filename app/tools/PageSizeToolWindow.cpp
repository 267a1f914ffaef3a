#include "app/tools/PageSizeToolWindow.h"

#include "app/tools/ListPDFFiles.h"
#include "app/tools/PDFQueries.h"
#include "app/tools/PageUnits.h"

#include <QLabel>

namespace {

const char kEndOfList[] = "EndOfList";

} // namespace

PageSizeToolWindow::PageSizeToolWindow(const Texts& texts, QWidget* parent) : FileToolWindow(texts, parent)
{
}

FileEntry PageSizeToolWindow::MakeFileEntry(const QString& path) const
{
    const QSize size = GetPDFShownPageSize(path);
    return FileEntry{path, size.width(), size.height()};
}

FileEntry PageSizeToolWindow::EntryFromProjectLine(const QString& line) const
{
    const int heightBar = line.lastIndexOf(QLatin1Char('|'));
    const int widthBar = heightBar > 0 ? line.lastIndexOf(QLatin1Char('|'), heightBar - 1) : -1;
    if (widthBar < 0)
        return FileEntry{line, 0, 0};
    return FileEntry{line.left(widthBar), line.mid(widthBar + 1, heightBar - widthBar - 1).toInt(),
                     line.mid(heightBar + 1).toInt()};
}

QString PageSizeToolWindow::ProjectListText() const
{
    QString text;
    for (const FileEntry& entry : fileEntries)
        text += entry.path + QLatin1Char('|') + QString::number(entry.pageWidth) + QLatin1Char('|') +
                QString::number(entry.pageHeight) + QLatin1Char('\n');
    return text + QLatin1String(kEndOfList) + QLatin1Char('\n');
}

bool PageSizeToolWindow::ReadProjectList(const QStringList& lines, QList<FileEntry>& entries,
                                         QStringList& settings) const
{
    const int end = lines.indexOf(QLatin1String(kEndOfList));
    if (end < 0 || !EntriesFromProjectLines(lines.mid(0, end), entries))
        return false;
    settings = lines.mid(end + 1);
    return true;
}

void PageSizeToolWindow::ShowDocumentInfo(const QString& path)
{
    // The size recorded when the file was added, of the row the user is on.
    const int row = widgets.list->currentRow();
    FileEntry entry = fileEntries.value(row);
    if (entry.path != path) {
        for (const FileEntry& listed : qAsConst(fileEntries))
            if (listed.path == path)
                entry = listed;
    }
    widgets.documentInfo->setText(DocumentInfoText(path, QSize(entry.pageWidth, entry.pageHeight)));
    UpdatePreview();
}

void PageSizeToolWindow::ResetDocumentInfo()
{
    FileToolWindow::ResetDocumentInfo();
    ClearPreview();
}

void PageSizeToolWindow::FilesAdded()
{
    ResetDocumentInfo();
}

QSize PageSizeToolWindow::ReferencePageSize() const
{
    if (fileEntries.isEmpty())
        return UsablePageSize(QSize());
    const int row = widgets.list->currentRow();
    const FileEntry& entry = fileEntries.at(row >= 0 && row < fileEntries.size() ? row : 0);
    return UsablePageSize(QSize(entry.pageWidth, entry.pageHeight));
}

int PageSizeToolWindow::ConvertToUnit(int value, Qt::Orientation along, bool toPoints) const
{
    const QSize page = ReferencePageSize();
    const int side = along == Qt::Horizontal ? page.width() : page.height();
    return toPoints ? PercentToPoints(value, side) : PointsToPercent(value, side);
}
