#include "db/DocumentDatabase.h"

#include "core/SystemErrors.h"
#include "db/AccessRoute.h"
#include "db/OdbcBridgeDriver.h"
#include "db/OdbcSource.h"
#include "db/ServerAddress.h"
#include "db/Statements.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <atomic>

namespace robot {

namespace {
// How long a statement waits for a record or file lock held by the back-office system.
constexpr int kBusyTimeoutMs = 5000;

// A server that does not answer must not hold the robot for long: a connection gives up after
// 3 s, a statement after 10 s (the server's own limit; ServerDeadline cuts one that a server
// which does not answer at all leaves hanging), an idle connection is probed every few seconds,
// and a row locked by the back office is waited for as long as on the file.
const QString kServerOptions =
    QStringLiteral("connect_timeout=3;keepalives_idle=10;keepalives_interval=3;keepalives_count=3;"
                   "tcp_user_timeout=10000;application_name=robot-fiscal;"
                   "options='-c lock_timeout=5000 -c statement_timeout=10000'");
} // namespace

QString uniqueConnectionName(const QString &purpose) {
    static std::atomic<int> counter{0};
    return QStringLiteral("%1-%2").arg(purpose).arg(++counter);
}

DatabaseEngine detectEngine(const QString &path) {
    QFile file(path);
    if (!file.exists())
        return DatabaseEngine::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return DatabaseEngine::Unknown;
    const QByteArray head = file.read(32);
    if (head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return DatabaseEngine::Sqlite;
    const QByteArray engine = head.mid(4, 15);
    if (engine == "Standard Jet DB" || engine == "Standard ACE DB")
        return DatabaseEngine::Access;
    return DatabaseEngine::Unknown;
}

DocumentConnection::~DocumentConnection() {
    close();
}

QSqlDatabase DocumentConnection::database() const {
    return QSqlDatabase::database(name, false);
}

void DocumentConnection::close() {
    if (name.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    name.clear();
}

Result<void> DocumentConnection::finishOpen(QSqlDatabase db, const QString &what) {
    if (!db.open()) {
        const Failure failure{QStringLiteral("No se pudo abrir la base de datos %1: %2")
                                  .arg(what, explainError(db.lastError().text()))};
        const QString failed = db.connectionName();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(failed);
        return failure;
    }
    name = db.connectionName();
    return {};
}

Result<void> DocumentConnection::open(const QString &path, const QString &purpose) {
    close();
    const QString name = uniqueConnectionName(purpose);
    if (const std::optional<robot::ServerAddress> server = robot::serverAddress(path))
        return openServer(*server, robot::rememberedPassword(path), name);
    if (const std::optional<OdbcSource> source = odbcSource(path))
        return openOdbc(source->connection, source->statements(), purpose,
                        source->throughBridge ? OdbcRoute::Bridge : OdbcRoute::InProcess);
    const QString shown = QDir::toNativeSeparators(path);
    switch (detectEngine(path)) {
    case DatabaseEngine::Missing:
        return Failure{QStringLiteral("No se encuentra la base de datos %1.").arg(shown)};
    case DatabaseEngine::Unknown:
        return Failure{QStringLiteral("El archivo %1 no es una base de datos reconocida (SQLite o "
                                      "Access).")
                           .arg(shown)};
    case DatabaseEngine::Sqlite: {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        dialect = &sqliteStatements();
        return finishOpen(db, shown);
    }
    case DatabaseEngine::Access: {
        const Result<AccessRoute> route = accessRouteOf(shown, isAceFile(path));
        if (!route.ok())
            return route.why();
        return openOdbc(
            accessConnectionString(route.value().driver, shown), jetStatements(), purpose,
            route.value().throughBridge ? OdbcRoute::Bridge : OdbcRoute::InProcess, shown);
    }
    }
    return Failure{};
}

Result<void> DocumentConnection::openServer(const robot::ServerAddress &server,
                                            const QString &password, const QString &name) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return Failure{QStringLiteral("La base de datos está en un servidor PostgreSQL, pero el "
                                      "controlador PostgreSQL de Qt (QPSQL) no está instalado.")};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(server.host);
        if (!server.port.isEmpty())
            db.setPort(server.port.toInt());
        db.setDatabaseName(server.database);
        db.setUserName(server.user);
        db.setPassword(password);
        db.setConnectOptions(kServerOptions);
    }
    dialect = &robot::postgresStatements();
    // No copy of the connection is left here: a failed one is removed inside.
    return finishOpen(QSqlDatabase::database(name, false),
                      QStringLiteral("del servidor ") + server.shown());
}

Result<void> DocumentConnection::openOdbc(const QString &connectionString,
                                          const Statements &statements, const QString &purpose,
                                          OdbcRoute route, const QString &shown) {
    close();
    if (route == OdbcRoute::Bridge)
        OdbcBridgeDriver::registerDriver();
    QSqlDatabase db = QSqlDatabase::addDatabase(
        route == OdbcRoute::Bridge ? OdbcBridgeDriver::kName : QStringLiteral("QODBC"),
        uniqueConnectionName(purpose));
    db.setDatabaseName(connectionString);
    dialect = &statements;
    // Never the connection string itself in a message: it may hold a password.
    const QString what = shown.isEmpty() ? QStringLiteral("ODBC") : shown;
    return finishOpen(db, route == OdbcRoute::Bridge ? what + QStringLiteral(" (por el puente)")
                                                     : what);
}

} // namespace robot
