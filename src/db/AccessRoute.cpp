#include "db/AccessRoute.h"

#include "db/DocumentDatabase.h"
#include "db/OdbcSource.h"
#include "db/ServerAddress.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>

namespace robot {

namespace {

const QString kInstallAce =
    QStringLiteral("Instale «Microsoft Access Database Engine 2016 Redistributable» de 64 bits "
                   "(AccessDatabaseEngine_X64.exe); donde haya un Office de 32 bits, ejecútelo "
                   "con /passive.");

} // namespace

QString AccessRoute::described() const {
    return QStringLiteral("el controlador «%1» %2")
        .arg(driver, throughBridge ? QStringLiteral("por el puente de 32 bits")
                                   : QStringLiteral("en el programa"));
}

Result<AccessRoute> chooseAccessRoute(const QString &nativePath, bool aceFormat,
                                      const AccessDrivers &drivers) {
    if (drivers.aceInProcess)
        return AccessRoute{kAceDriver, false};
    if (!aceFormat && drivers.jet32)
        return AccessRoute{kJetDriver, true};
    if (aceFormat && drivers.jet32)
        return Failure{QStringLiteral("La base de datos %1 es de Access 2007 o posterior (.accdb): "
                                      "el controlador «%2» de Windows no la abre, hace falta "
                                      "«%3». %4")
                           .arg(nativePath, kJetDriver, kAceDriver, kInstallAce)};
#ifdef Q_OS_WIN
    return Failure{QStringLiteral("La base de datos %1 es de Access y este equipo no tiene ningún "
                                  "controlador ODBC de Access: ni «%2» (de Windows, 32 bits) ni "
                                  "«%3». %4")
                       .arg(nativePath, kJetDriver, kAceDriver, kInstallAce)};
#else
    return Failure{QStringLiteral("La base de datos %1 es de Access: solo puede abrirse en "
                                  "Windows, con el controlador ODBC de Access.")
                       .arg(nativePath)};
#endif
}

Result<AccessRoute> accessRouteOf(const QString &nativePath, bool aceFormat) {
    static QMutex mutex;
    static QHash<QString, Result<AccessRoute>> decided;
    QMutexLocker locker(&mutex);
    const auto found = decided.constFind(nativePath);
    if (found != decided.constEnd())
        return *found;
    const Result<AccessRoute> route =
        chooseAccessRoute(nativePath, aceFormat, installedAccessDrivers());
    decided.insert(nativePath, route);
    return route;
}

bool isAceFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(19).mid(4) == "Standard ACE DB";
}

bool opensThroughBridge(const QString &rutaBaseDatos) {
    if (const std::optional<OdbcSource> source = odbcSource(rutaBaseDatos))
        return source->throughBridge;
    if (serverAddress(rutaBaseDatos) || detectEngine(rutaBaseDatos) != DatabaseEngine::Access)
        return false;
    const Result<AccessRoute> route =
        accessRouteOf(QDir::toNativeSeparators(rutaBaseDatos), isAceFile(rutaBaseDatos));
    return route.ok() && route.value().throughBridge;
}

QString databaseEngineDescription(const QString &rutaBaseDatos) {
    if (serverAddress(rutaBaseDatos))
        return QStringLiteral("PostgreSQL, según robot-fiscal.ini");
    if (const std::optional<OdbcSource> source = odbcSource(rutaBaseDatos))
        return QStringLiteral("ODBC según robot-fiscal.ini, %1, sentencias de %2")
            .arg(source->throughBridge ? QStringLiteral("por el puente")
                                       : QStringLiteral("en el programa"),
                 source->dialect == OdbcSource::Dialect::Access ? QStringLiteral("Access")
                                                                : QStringLiteral("SQLite"));
    switch (detectEngine(rutaBaseDatos)) {
    case DatabaseEngine::Sqlite:
        return QStringLiteral("SQLite");
    case DatabaseEngine::Access: {
        const QString shown = QDir::toNativeSeparators(rutaBaseDatos);
        const Result<AccessRoute> route = accessRouteOf(shown, isAceFile(rutaBaseDatos));
        return route.ok() ? QStringLiteral("Access, ") + route.value().described() : route.error();
    }
    case DatabaseEngine::Missing:
    case DatabaseEngine::Unknown:
        break;
    }
    return QStringLiteral("desconocido");
}

} // namespace robot
