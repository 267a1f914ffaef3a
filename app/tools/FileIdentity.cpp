#include "app/tools/FileIdentity.h"

#include "pdf/io/Platform.h"

bool IsSameFile(const QString& first, const QString& second)
{
    return Platform::IsSameFile(first.toUtf8().toStdString(), second.toUtf8().toStdString());
}

QString FindSameFile(const QString& path, const QStringList& paths)
{
    for (const QString& candidate : paths)
        if (IsSameFile(path, candidate))
            return candidate;
    return QString();
}
