#include "platform/WindowSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>

namespace robot {

namespace platform {

namespace {

bool isSet(const char *variable) {
    return !qEnvironmentVariableIsEmpty(variable);
}

// A platform plugin other than X11 or Wayland (offscreen, vnc, linuxfb...) needs no display of
// the session, only its plugin.
bool pluginInstalled(const QString &name) {
    QStringList directories =
        qEnvironmentVariable("QT_PLUGIN_PATH").split(u':', Qt::SkipEmptyParts);
    directories << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString &directory : directories)
        if (QFileInfo::exists(directory + QStringLiteral("/platforms/libq") + name +
                              QStringLiteral(".so")))
            return true;
    return false;
}

} // namespace

Result<void> displayAvailable() {
    const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platforms.isEmpty()) {
        if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"))
            return {};
        return Failure{
            QStringLiteral("no hay pantalla (ni DISPLAY ni WAYLAND_DISPLAY están definidas)")};
    }
    // Qt tries each platform of the list in turn, options after a colon.
    for (const QString &entry : platforms.split(u';', Qt::SkipEmptyParts)) {
        const QString name = entry.section(u':', 0, 0);
        if (name == QStringLiteral("xcb")                ? isSet("DISPLAY")
            : name.startsWith(QStringLiteral("wayland")) ? isSet("WAYLAND_DISPLAY")
                                                         : pluginInstalled(name))
            return {};
    }
    return Failure{QStringLiteral("QT_QPA_PLATFORM=%1 no indica una pantalla que se pueda usar")
                       .arg(platforms)};
}

} // namespace platform

} // namespace robot
