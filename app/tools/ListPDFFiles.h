#pragma once
// The PDF file list of the merge, split, watermark and crop windows. It takes files dropped
// from the desktop or a file manager and hands the PDF files among them to its window through
// FilesDropped; it paints the program's logo faintly behind its items. The window fills the
// list: each row shows its path with native separators and keeps the real path in the item's
// data (PathRole), so reading a row back never depends on how the path was displayed.

#include <QListWidget>
#include <QStringList>

class ListPDFFiles : public QListWidget {
    Q_OBJECT

public:
    static constexpr int PathRole = Qt::UserRole;

    explicit ListPDFFiles(QWidget* parent = nullptr);

    // Appends one row for the file: its icon, its path shown with native separators, and the
    // path itself in PathRole.
    void AppendFile(const QString& path);
    // The real path of a row (empty when the row does not exist).
    QString FilePath(int row) const;
    static QString FilePath(const QListWidgetItem* item);
    // The real paths of every row, in order.
    QStringList FilePaths() const;

signals:
    void FilesDropped(QStringList listFilePaths);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
