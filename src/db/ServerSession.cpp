#include "db/ServerSession.h"

#include "core/RetryDelay.h"
#include "db/OdbcSource.h"
#include "db/ServerAddress.h"
#include "db/ServerDeadline.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

namespace robot {

namespace {

// The advisory locks of this program on a shared server: (this class, Caja).
constexpr int kFiscalMachineLockClass = 0x52464953;

// A server that went away is not asked again at every tick: 1, 2, 4 and then every 8 s.
constexpr RetryDelay kReconnectDelay{1000, 8000};

QString channelOf(qint32 caja) {
    return QStringLiteral("robot_fiscal_caja_%1").arg(caja);
}

} // namespace

ServerSession::ServerSession(const QString &rutaBaseDatos, qint32 caja, QObject *parent)
    : QObject(parent), path(rutaBaseDatos), machine(caja),
      onServer(robot::serverAddress(rutaBaseDatos).has_value()),
      reconnects(onServer || odbcSource(rutaBaseDatos).has_value()) {}

ServerSession::~ServerSession() = default;

bool ServerSession::connectedToServer() const {
    return onServer && connection.isOpen() && connection.database().isOpen();
}

Result<void> ServerSession::open() {
    Result<void> opened = usable();
    if (!opened.ok())
        connection.close(); // the next call opens it again: the share or the server may come back
    return opened;
}

Result<void> ServerSession::usable() {
    if (reconnects) {
        // The driver notices a connection the server closed (a restart, a cut) on its own; the
        // refresh fails once, so the cut is told, and the next one connects again.
        if (connection.isOpen() && !connection.database().isOpen())
            return Failure{connectionLost()};
        if (connection.isOpen())
            return {};
        return connectToServer();
    }
    // An open SQLite file keeps answering after its share is gone; look for it every time.
    if (!QFileInfo::exists(path))
        return Failure{QStringLiteral("No se encuentra la base de datos %1.")
                           .arg(QDir::toNativeSeparators(path))};
    // An Access file through the bridge reads as closed once its bridge is gone.
    if (connection.isOpen() && !connection.database().isOpen())
        connection.close();
    if (connection.isOpen())
        return {};
    return connection.open(path, QStringLiteral("fuentes"));
}

QString ServerSession::connectionLost() const {
    if (!onServer)
        return QStringLiteral("Se perdió la conexión con la base de datos ODBC.");
    return QStringLiteral("Se perdió la conexión con el servidor %1.")
        .arg(robot::serverAddress(path)->shown());
}

QString ServerSession::failureOf(const QSqlQuery &query, const ServerDeadline &deadline) const {
    if (deadline.expired())
        return connectionLost() + QStringLiteral(" El servidor no respondió en %1 s.")
                                      .arg(ServerDeadline::kLimitMs / 1000);
    const QString text = query.lastError().text().trimmed();
    // A statement cut by the server reads as the connection lost, whichever noticed it first.
    if (reconnects && !connection.database().isOpen())
        return text.isEmpty() ? connectionLost() : connectionLost() + u' ' + text;
    return text;
}

Result<void> ServerSession::connectToServer() {
    if (connectFailures > 0 && !nextConnect.hasExpired())
        return lastConnectFailure;
    Result<void> connected = connection.open(path, QStringLiteral("fuentes"));
    if (connected.ok() && onServer)
        connected = attachToServer();
    if (!connected.ok()) {
        ++connectFailures;
        nextConnect.setRemainingTime(kReconnectDelay.afterFailures(connectFailures));
        lastConnectFailure = connected.why();
        return connected;
    }
    connectFailures = 0;
    return {};
}

Result<void> ServerSession::attachToServer() {
    QSqlDatabase db = connection.database();
    const ServerDeadline deadline(db);
    claimedElsewhere = false;
    if (claimWanted) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT pg_try_advisory_lock(%1, %2)")
                            .arg(kFiscalMachineLockClass)
                            .arg(machine)) ||
            !query.next())
            return Failure{failureOf(query, deadline)};
        if (!query.value(0).toBool()) {
            claimedElsewhere = true;
            return Failure{QStringLiteral("Otra estación tiene la caja %1 en el servidor %2: esta "
                                          "estación no imprime mientras la otra siga funcionando.")
                               .arg(machine)
                               .arg(robot::serverAddress(path)->shown())};
        }
    }
    // Subscribed again on every new connection: the server forgets a closed one's LISTEN.
    QSqlDriver *driver = db.driver();
    if (!driver->subscribeToNotification(channelOf(machine)))
        return Failure{driver->lastError().text()};
    connect(driver, &QSqlDriver::notification, this, [this](const QString &channel) {
        // Passed on once the driver's own handler has returned: the tick it starts may close
        // this very connection. A burst of notices makes one announcement.
        if (channel != channelOf(machine) || announcing)
            return;
        announcing = true;
        QTimer::singleShot(0, this, [this] {
            announcing = false;
            emit documentsAnnounced();
        });
    });
    return {};
}

Result<void> ServerSession::claimFiscalMachine() {
    if (!onServer)
        return {};
    claimWanted = true;
    connection.close(); // taken on the connection the lists are read through
    connectFailures = 0;
    // A server that does not answer is told by the next refresh.
    if (open().ok() || !claimedElsewhere)
        return {};
    return Failure{QStringLiteral("Ya hay una estación funcionando con la caja %1 sobre esta base "
                                  "de datos (bloqueo en el servidor %2). Cierre la otra estación o "
                                  "corrija el número de Caja en ImpresorFiscal.inf.")
                       .arg(machine)
                       .arg(robot::serverAddress(path)->shown())};
}

} // namespace robot
