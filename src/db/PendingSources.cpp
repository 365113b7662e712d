#include "db/PendingSources.h"

#include "db/ServerAddress.h"
#include "db/ServerDeadline.h"
#include "db/Statements.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace robot {

namespace {

// The advisory locks of this program on a shared server: (this class, Caja).
constexpr int kFiscalMachineLockClass = 0x52464953;

QString channelOf(qint32 caja) {
    return QStringLiteral("robot_fiscal_caja_%1").arg(caja);
}

// A document code at its full width. Only a whole number is a code: a code stored as a
// fraction or as text cannot be told apart from another record's, so it is never read as one.
std::optional<qint64> documentCode(const QVariant &value) {
    bool ok = false;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort: {
        const qint64 code = value.toLongLong(&ok);
        return ok ? std::optional(code) : std::nullopt;
    }
    case QMetaType::ULongLong: {
        const qulonglong code = value.toULongLong(&ok);
        if (!ok || code > qulonglong(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(code);
    }
    case QMetaType::Double: {
        const double d = value.toDouble();
        // 2^63 itself is not representable; every whole double below it is.
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) >= 9223372036854775808.0)
            return std::nullopt;
        return qint64(d);
    }
    default:
        return std::nullopt;
    }
}

} // namespace

PendingSources::PendingSources(const QString &rutaBaseDatos, qint32 caja, QObject *parent)
    : QObject(parent), path(rutaBaseDatos), machine(caja),
      onServer(robot::serverAddress(rutaBaseDatos).has_value()) {}

PendingSources::~PendingSources() = default;

bool PendingSources::fail(const QString &why) {
    error = why;
    connection.close(); // the next refresh opens it again: the share may come back
    const bool hadRows = !data5.isEmpty() || !data6.isEmpty();
    data5.clear();
    data6.clear();
    if (hadRows)
        emit listsChanged();
    return false;
}

bool PendingSources::ensureOpen() {
    if (onServer) {
        // The driver notices a connection the server closed (a restart, a cut) on its own; the
        // refresh fails once, so the cut is told, and the next one connects again.
        if (connection.isOpen() && !connection.database().isOpen())
            return fail(connectionLost());
        return connection.isOpen() || connectToServer();
    }
    // An open SQLite file keeps answering after its share is gone; look for it every time.
    if (!QFileInfo::exists(path)) {
        return fail(QStringLiteral("No se encuentra la base de datos %1.")
                        .arg(QDir::toNativeSeparators(path)));
    }
    if (connection.isOpen())
        return true;
    QString why;
    if (!connection.open(path, QStringLiteral("fuentes"), &why))
        return fail(why);
    return true;
}

QString PendingSources::connectionLost() const {
    return QStringLiteral("Se perdió la conexión con el servidor %1.")
        .arg(robot::serverAddress(path)->shown());
}

QString PendingSources::failureOf(const QSqlQuery &query, const ServerDeadline &deadline) const {
    if (deadline.expired())
        return connectionLost() + QStringLiteral(" El servidor no respondió en %1 s.")
                                      .arg(ServerDeadline::kLimitMs / 1000);
    const QString text = query.lastError().text().trimmed();
    // A statement cut by the server reads as the connection lost, whichever noticed it first.
    if (onServer && !connection.database().isOpen())
        return text.isEmpty() ? connectionLost() : connectionLost() + u' ' + text;
    return text;
}

bool PendingSources::connectToServer() {
    // A server that went away is not asked again at every tick: 1, 2, 4 and then every 8 s.
    if (connectFailures > 0 && !nextConnect.hasExpired())
        return fail(error);
    QString why;
    if (!connection.open(path, QStringLiteral("fuentes"), &why) || !attachToServer(&why)) {
        ++connectFailures;
        nextConnect.setRemainingTime(1000 << std::min(connectFailures - 1, 3));
        return fail(why);
    }
    connectFailures = 0;
    return true;
}

bool PendingSources::attachToServer(QString *why) {
    QSqlDatabase db = connection.database();
    const ServerDeadline deadline(db);
    claimedElsewhere = false;
    if (claimWanted) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT pg_try_advisory_lock(%1, %2)")
                            .arg(kFiscalMachineLockClass)
                            .arg(machine)) ||
            !query.next()) {
            *why = failureOf(query, deadline);
            return false;
        }
        if (!query.value(0).toBool()) {
            claimedElsewhere = true;
            *why = QStringLiteral("Otra estación tiene la caja %1 en el servidor %2: esta "
                                  "estación no imprime mientras la otra siga funcionando.")
                       .arg(machine)
                       .arg(robot::serverAddress(path)->shown());
            return false;
        }
    }
    // Subscribed again on every new connection: the server forgets a closed one's LISTEN.
    QSqlDriver *driver = db.driver();
    if (!driver->subscribeToNotification(channelOf(machine))) {
        *why = driver->lastError().text();
        return false;
    }
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
    return true;
}

bool PendingSources::claimFiscalMachine(QString *refusal) {
    if (!onServer)
        return true;
    claimWanted = true;
    connection.close(); // taken on the connection the lists are read through
    connectFailures = 0;
    if (ensureOpen() || !claimedElsewhere)
        return true;
    if (refusal)
        *refusal = QStringLiteral("Ya hay una estación funcionando con la caja %1 sobre esta base "
                                  "de datos (bloqueo en el servidor %2). Cierre la otra estación o "
                                  "corrija el número de Caja en ImpresorFiscal.inf.")
                       .arg(machine)
                       .arg(robot::serverAddress(path)->shown());
    return false;
}

bool PendingSources::runInto(QString (Statements::*statement)(qint32) const,
                             QList<PendingDocument> &rows) {
    QList<PendingDocument> fresh;
    std::optional<QString> failure;
    {
        const ServerDeadline deadline(connection.database());
        QSqlQuery query(connection.database());
        query.setForwardOnly(true);
        if (query.exec((connection.statements().*statement)(machine))) {
            while (query.next()) {
                const QVariant code = query.value(QStringLiteral("Código"));
                const std::optional<qint64> codigo = documentCode(code);
                fresh.append({codigo.value_or(0), codigo.has_value(), code.toString(),
                              query.value(QStringLiteral("VistaEspecial")).toString()});
            }
        }
        if (query.lastError().isValid())
            failure = failureOf(query, deadline);
    }
    if (failure) // the connection is closed only once nothing watches its socket
        return fail(*failure);
    rows = std::move(fresh);
    return true;
}

bool PendingSources::refreshInvoices() {
    if (!ensureOpen() || !runInto(&Statements::pendingInvoices, data5))
        return false;
    emit listsChanged();
    return true;
}

bool PendingSources::refreshCreditNotes() {
    if (!ensureOpen() || !runInto(&Statements::pendingCreditNotes, data6))
        return false;
    emit listsChanged();
    return true;
}

bool PendingSources::RefrescaListas() {
    if (!ensureOpen() || !runInto(&Statements::pendingInvoices, data5) ||
        !runInto(&Statements::pendingCreditNotes, data6))
        return false;
    error.clear();
    emit listsChanged();
    return true;
}

ConfigurationRead PendingSources::configurationRecord() {
    if (!ensureOpen())
        return {ConfigurationRead::Outcome::Failed, {}, error};
    const ServerDeadline deadline(connection.database());
    QSqlQuery query(connection.database());
    if (!query.exec(connection.statements().configuration()))
        return {ConfigurationRead::Outcome::Failed, {}, query.lastError().text()};
    if (!query.next()) {
        if (query.lastError().isValid())
            return {ConfigurationRead::Outcome::Failed, {}, query.lastError().text()};
        return {ConfigurationRead::Outcome::NoRecord, {}, {}};
    }
    ConfigurationRead read{ConfigurationRead::Outcome::Read, {}, {}};
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        read.row.set(record.fieldName(i), record.value(i));
    return read;
}

} // namespace robot
