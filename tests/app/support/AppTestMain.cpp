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
    // Sizes and pixels as the tests expect them, whatever the user's desktop scales, styles or
    // themes: Qt's own defaults.
    for (const char* name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                             "QT_ENABLE_HIGHDPI_SCALING", "QT_FONT_DPI", "QT_STYLE_OVERRIDE", "QT_QPA_PLATFORMTHEME",
                             "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION"})
        qunsetenv(name);
    // The system fonts are the packages' alone, not those installed by hand under /usr/local.
    qputenv("XDG_DATA_DIRS", "/usr/share");
    // The screen tests choose a real X server.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

} // namespace AppTest
