#include "platform/StationLock.h"

#include <QDir>

namespace robot {

StationLock::~StationLock() {
    release();
}

QString StationLock::pathFor(const QString &dataDirectory, qint32 caja) {
    return QDir(dataDirectory).filePath(QStringLiteral("robot-fiscal-caja-%1.lock").arg(caja));
}

bool StationLock::acquire(const QString &dataDirectory, qint32 caja, QString *error) {
    return lockFile(pathFor(dataDirectory, caja), caja, error);
}

QString stationLockRefusal(qint32 caja, const QString &path) {
    return QStringLiteral("Ya hay una estación funcionando con la caja %1 sobre esta base de "
                          "datos (bloqueo %2). Cierre la otra estación o corrija el número de "
                          "Caja en ImpresorFiscal.inf.")
        .arg(caja)
        .arg(QDir::toNativeSeparators(path));
}

} // namespace robot
