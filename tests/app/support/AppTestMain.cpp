#include "app/support/AppTestMain.h"

#include <QDir>
#include <QFile>

namespace AppTest {

bool PrepareEnvironment(const QString& home)
{
    const QString config = home + QStringLiteral("/.config");
    const QString data = home + QStringLiteral("/.local/share");
    const QString cache = home + QStringLiteral("/.cache");
    const QString runtime = home + QStringLiteral("/runtime");
    for (const QString& folder : {config, data, cache, runtime})
        if (!QDir().mkpath(folder))
            return false;
    // Qt insists on a runtime folder that only its owner may enter.
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    // The screen tests choose a real X server.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

} // namespace AppTest
