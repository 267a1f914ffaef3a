#include "app/tools/ListPDFFiles.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>

ListPDFFiles::ListPDFFiles(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    // The logo sits still behind moving items, so every scroll step repaints the whole viewport.
    QWidget* view = viewport();
    connect(verticalScrollBar(), &QScrollBar::valueChanged, view, QOverload<>::of(&QWidget::update));
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, view, QOverload<>::of(&QWidget::update));
}

void ListPDFFiles::AppendFile(const QString& path)
{
    auto* item = new QListWidgetItem(QIcon(QStringLiteral(":/PDFListIcon.png")), QDir::toNativeSeparators(path));
    item->setData(PathRole, path);
    addItem(item);
}

QString ListPDFFiles::FilePath(int row) const
{
    return FilePath(item(row));
}

QString ListPDFFiles::FilePath(const QListWidgetItem* item)
{
    return item ? item->data(PathRole).toString() : QString();
}

QStringList ListPDFFiles::FilePaths() const
{
    QStringList paths;
    for (int row = 0; row < count(); ++row)
        paths.append(FilePath(row));
    return paths;
}

void ListPDFFiles::paintEvent(QPaintEvent* event)
{
    const QImage logo(QStringLiteral(":/Logo.png"));
    {
        QPainter painter(viewport());
        painter.setOpacity(0.3);
        painter.drawImage((width() - logo.width()) / 2, (height() - logo.height()) / 2, logo);
    }
    QListWidget::paintEvent(event);
}

void ListPDFFiles::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        QListWidget::dragEnterEvent(event);
}

void ListPDFFiles::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        QListWidget::dragMoveEvent(event);
}

void ListPDFFiles::dropEvent(QDropEvent* event)
{
    // The list view's own handling ends the drag state and adds nothing for file URLs, but it
    // leaves the event ignored, which tells the source that the drop failed; so it runs first
    // and the files are taken afterwards.
    QListWidget::dropEvent(event);
    const QMimeData* data = event->mimeData();
    if (!data->hasUrls())
        return;
    QStringList pdfPaths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        // Non-local URLs give an empty path, which is no file.
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (path.isEmpty() || !info.isFile())
            continue;
        // The text after the last "." of the name; a name without one is its own extension.
        const QString name = info.fileName();
        const QString extension = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1).toLower();
        if (extension == QLatin1String("pdf"))
            pdfPaths.append(path);
    }
    event->acceptProposedAction();
    if (!pdfPaths.isEmpty())
        emit FilesDropped(pdfPaths);
}

#include "moc_ListPDFFiles.cpp"
