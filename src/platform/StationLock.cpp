#include "platform/StationLock.h"

#include <QDir>

namespace robot {

StationLock::~StationLock() {
    release();
}

QString StationLock::pathFor(const QString &dataDirectory, qint32 caja) {
    return QDir(dataDirectory).filePath(QStringLiteral("robot-fiscal-caja-%1.lock").arg(caja));
}

Result<void> StationLock::acquire(const QString &dataDirectory, qint32 caja) {
    const QString path = pathFor(dataDirectory, caja);
    return lockFile(path, stationLockRefusal(caja, path));
}

QString StationLock::printerPathFor(const QString &serial, const QString &port) {
    QString key = serial.isEmpty() ? QStringLiteral("puerto-") + port.toUpper()
                                   : QStringLiteral("serie-") + serial.toUpper();
    for (QChar &c : key) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'.')
            c = u'_';
    }
    return QDir(computerWideDirectory())
        .filePath(QStringLiteral("robot-fiscal-impresora-%1.lock").arg(key));
}

Result<void> StationLock::acquirePrinter(const QString &serial, const QString &port) {
    const QString path = printerPathFor(serial, port);
    const QString printer = serial.isEmpty() ? QStringLiteral("del puerto %1").arg(port)
                                             : QStringLiteral("de serie %1").arg(serial);
    return lockFile(path,
                    QStringLiteral("La impresora fiscal %1 la está usando otra estación o una "
                                   "acción de un técnico en este equipo (bloqueo %2). Espere a "
                                   "que termine, o cierre la otra estación.")
                        .arg(printer, QDir::toNativeSeparators(path)));
}

QString stationLockRefusal(qint32 caja, const QString &path) {
    return QStringLiteral("Ya hay una estación funcionando con la caja %1 sobre esta base de "
                          "datos (bloqueo %2). Cierre la otra estación o corrija el número de "
                          "Caja en ImpresorFiscal.inf.")
        .arg(caja)
        .arg(QDir::toNativeSeparators(path));
}

} // namespace robot
