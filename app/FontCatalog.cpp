#include "app/FontCatalog.h"

#include <QDir>
#include <QDirIterator>
#include <QStandardPaths>

#include <algorithm>

FontCatalog::FontCatalog(const QStringList& folders)
{
    for (const QString& folder : folders) {
        QStringList files;
        QDirIterator it(folder, {QStringLiteral("*.ttf")}, QDir::Files | QDir::Readable,
                        QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext())
            files.append(it.next());
        std::sort(files.begin(), files.end());
        for (const QString& file : files) {
            const QString name = DisplayNameForFile(QFileInfo(file).fileName());
            if (!name.isEmpty() && !mPaths.contains(name))
                mPaths.insert(name, QDir::fromNativeSeparators(file));
        }
    }
}

const FontCatalog& FontCatalog::Shared()
{
    static const FontCatalog catalog(QStandardPaths::standardLocations(QStandardPaths::FontsLocation));
    return catalog;
}

QStringList FontCatalog::DisplayNames() const
{
    QStringList names = mPaths.keys();
    std::sort(names.begin(), names.end(), [](const QString& left, const QString& right) {
        return QString::compare(left, right, Qt::CaseInsensitive) < 0;
    });
    return names;
}

QString FontCatalog::PathOf(const QString& displayName) const
{
    return mPaths.value(displayName);
}

QString FontCatalog::DisplayNameForFile(const QString& fileName)
{
    if (fileName.contains(QStringLiteral(".TTF")))
        return QString();
    QString name = fileName;
    name.remove(QStringLiteral(".ttf"));
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return name;
}
