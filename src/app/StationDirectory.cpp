#include "app/StationDirectory.h"

#include "core/StationFiles.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace robot {

QString stationDirectory(const QString &given) {
    if (!given.isEmpty())
        return QDir(given).absolutePath();
    const QString own = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(own + QStringLiteral("/ImpresorFiscal.inf")))
        return own;
    // /usr/bin is no place for a station's configuration, journal and log.
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

Result<void> stationConfigured(const QString &directory) {
    const QString configuration = StationFiles(directory).configuration();
    if (QFileInfo::exists(configuration))
        return {};
    return Failure{QStringLiteral("Esta computadora no tiene una estación de impresión fiscal "
                                  "configurada: falta %1. Llame al técnico para que la configure.")
                       .arg(QDir::toNativeSeparators(configuration))};
}

} // namespace robot
