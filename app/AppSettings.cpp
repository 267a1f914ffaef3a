#include "app/AppSettings.h"

#include "app/AppIdentity.h"

#include <QSettings>
#include <QStandardPaths>

namespace AppSettings {

QString DocumentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString PicturesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
}

QString Folder(const QString& key)
{
    const bool isImageKey = key == QLatin1String(SettingsKey::InsertImageLocation);
    return Folder(key, isImageKey ? PicturesFolder() : DocumentsFolder());
}

QString Folder(const QString& key, const QString& defaultFolder)
{
    AppIdentity::Instance();
    QSettings settings;
    return settings.value(key, defaultFolder).toString();
}

void SetFolder(const QString& key, const QString& folder)
{
    AppIdentity::Instance();
    QSettings settings;
    // Every write waits for the disk; a folder chosen again is there already.
    if (settings.contains(key) && settings.value(key).toString() == folder)
        return;
    settings.setValue(key, folder);
    settings.sync();
}

QString FolderOfFile(const QString& filePath)
{
    const int slash = filePath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? filePath : filePath.left(slash);
}

} // namespace AppSettings
