#include "app/create/DocumentImages.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace DocumentImages {

bool IsImage(const QTextCharFormat& format)
{
    return format.type() == QTextFormat::CharFormat &&
           format.intProperty(QTextFormat::ObjectType) == QTextFormat::ImageObject;
}

QString FilePath(const QString& name)
{
    return name.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive) ? QUrl(name).toLocalFile() : name;
}

QList<QTextFragment> Fragments(const QTextDocument& document)
{
    QList<QTextFragment> fragments;
    for (QTextBlock block = document.firstBlock(); block.isValid(); block = block.next())
        for (QTextBlock::iterator at = block.begin(); !at.atEnd(); ++at)
            if (at.fragment().isValid() && IsImage(at.fragment().charFormat()))
                fragments.append(at.fragment());
    return fragments;
}

QStringList FilePaths(const QTextDocument& document)
{
    QStringList paths;
    for (const QTextFragment& fragment : Fragments(document)) {
        const QString path = FilePath(fragment.charFormat().toImageFormat().name());
        for (int image = 0; image < fragment.length(); ++image)
            paths.append(path);
    }
    return paths;
}

} // namespace DocumentImages
