#include "app/create/EditorDocument.h"

#include "app/ImageFiles.h"
#include "app/create/DocumentImages.h"

#include <QBuffer>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QTextEdit>
#include <QTextImageFormat>
#include <QUrl>

EditorDocument::EditorDocument(QObject* parent) : QTextDocument(parent) {}

void EditorDocument::Install(QTextEdit& editor)
{
    auto* document = new EditorDocument(&editor);
    document->setDefaultFont(editor.font());
    editor.setDocument(document);
}

QStringList EditorDocument::LoadImages()
{
    QStringList reasons;
    QSet<QString> seen;
    for (const QTextFragment& fragment : DocumentImages::Fragments(*this)) {
        const QString name = fragment.charFormat().toImageFormat().name();
        if (seen.contains(name))
            continue;
        seen.insert(name);
        QString reason;
        LoadImage(QUrl(name), reason);
        if (!reason.isEmpty())
            reasons.append(reason);
    }
    return reasons;
}

QImage EditorDocument::MissingImage()
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, image.width() - 1, image.height() - 1);
    return image;
}

QVariant EditorDocument::loadResource(int type, const QUrl& name)
{
    if (type != ImageResource)
        return QTextDocument::loadResource(type, name);
    QString reason;
    return LoadImage(name, reason);
}

QVariant EditorDocument::LoadImage(const QUrl& name, QString& reason)
{
    QImage image;
    if (name.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0) {
        // "data:<media type>[;base64],<bytes>", as pasted rich text may carry its pictures.
        const QString payload = name.path(QUrl::FullyEncoded);
        const int comma = payload.indexOf(QLatin1Char(','));
        QByteArray bytes = QByteArray::fromPercentEncoding(payload.mid(comma + 1).toLatin1());
        if (payload.left(comma).endsWith(QLatin1String(";base64"), Qt::CaseInsensitive))
            bytes = QByteArray::fromBase64(bytes);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        image = ImageFiles::Read(buffer, QStringLiteral("data:") + payload.left(comma), reason);
    } else if (name.isLocalFile() || name.scheme().isEmpty()) {
        // The editors name their images by path; a relative one is read as Qt would read it.
        image = ImageFiles::Read(name.isLocalFile() ? name.toLocalFile() : name.path(), reason);
    }
    // Never an empty value: Qt would then read the file itself, with any reader that takes it.
    const QVariant shown = QPixmap::fromImage(image.isNull() ? MissingImage() : std::move(image));
    addResource(ImageResource, name, shown);
    return shown;
}
