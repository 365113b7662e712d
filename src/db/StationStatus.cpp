#include "db/StationStatus.h"

#include "db/DocumentDatabase.h"
#include "db/ServerDeadline.h"
#include "db/ServerSession.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

namespace robot {

namespace {

// The server's codes for a schema or table that does not exist yet.
bool missingTable(const QSqlError &error) {
    return error.nativeErrorCode() == QLatin1String("42P01") ||
           error.nativeErrorCode() == QLatin1String("3F000");
}

const QString kCreateSchema = QStringLiteral("CREATE SCHEMA IF NOT EXISTS robot_fiscal");
const QString kCreateTable = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS robot_fiscal.\"Estaciones\" (\"Caja\" integer PRIMARY KEY, "
    "\"Equipo\" text NOT NULL, \"Versión\" text NOT NULL, \"Estado\" text NOT NULL, "
    "\"Documento\" text NOT NULL, \"Mensaje\" text NOT NULL, \"Pendientes\" integer NOT NULL, "
    "\"Papel\" text NOT NULL, \"Señal\" timestamptz NOT NULL)");

// One statement, values written in by the driver's own quoting: a prepared statement would
// cost the server two more on every write.
QString upsert(const QSqlDriver &driver, const StationStatus &s) {
    const auto text = [&driver](const QString &value) {
        QSqlField field(QString(), QMetaType(QMetaType::QString));
        field.setValue(value.isNull() ? QStringLiteral("") : value); // a null text is NULL
        return driver.formatValue(field);
    };
    return QStringLiteral(
               "INSERT INTO robot_fiscal.\"Estaciones\" VALUES (%1, %2, %3, %4, %5, %6, %7, %8, "
               "now()) ON CONFLICT (\"Caja\") DO UPDATE SET \"Equipo\" = EXCLUDED.\"Equipo\", "
               "\"Versión\" = EXCLUDED.\"Versión\", \"Estado\" = EXCLUDED.\"Estado\", "
               "\"Documento\" = EXCLUDED.\"Documento\", \"Mensaje\" = EXCLUDED.\"Mensaje\", "
               "\"Pendientes\" = EXCLUDED.\"Pendientes\", \"Papel\" = EXCLUDED.\"Papel\", "
               "\"Señal\" = now()")
        .arg(s.caja)
        .arg(text(s.computer), text(s.version), text(s.state), text(s.document), text(s.message))
        .arg(s.pending)
        .arg(text(s.paper));
}

} // namespace

Result<void> writeStationStatus(ServerSession &session, const StationStatus &status) {
    if (!session.connectedToServer())
        return Failure{QStringLiteral("sin conexión con el servidor")};
    const QSqlDatabase db = session.documents().database();
    const ServerDeadline deadline(db);
    QSqlQuery query(db);
    const QString statement = upsert(*db.driver(), status);
    if (query.exec(statement))
        return {};
    if (missingTable(query.lastError()) && query.exec(kCreateSchema) && query.exec(kCreateTable) &&
        query.exec(statement))
        return {};
    return Failure{query.lastError().text().trimmed()};
}

Result<QList<StationStatus>> readStationStatuses(const QString &address) {
    DocumentConnection connection;
    if (const Result<void> opened = connection.open(address, QStringLiteral("estado"));
        !opened.ok())
        return opened.why();
    QList<StationStatus> rows;
    {
        const ServerDeadline deadline(connection.database());
        QSqlQuery query(connection.database());
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral(
                "SELECT \"Caja\", \"Equipo\", \"Versión\", \"Estado\", \"Documento\", "
                "\"Mensaje\", \"Pendientes\", \"Papel\", EXTRACT(EPOCH FROM \"Señal\")::bigint, "
                "EXTRACT(EPOCH FROM now() - \"Señal\")::bigint FROM robot_fiscal.\"Estaciones\" "
                "ORDER BY \"Caja\""))) {
            if (missingTable(query.lastError()))
                return rows;
            return Failure{query.lastError().text().trimmed()};
        }
        while (query.next()) {
            StationStatus s{
                query.value(0).toInt(),     query.value(1).toString(), query.value(2).toString(),
                query.value(3).toString(),  query.value(4).toString(), query.value(5).toString(),
                query.value(6).toInt(),     query.value(7).toString(), {},
                query.value(9).toLongLong()};
            s.lastSign = QDateTime::fromSecsSinceEpoch(query.value(8).toLongLong());
            rows.append(s);
        }
    }
    return rows;
}

} // namespace robot
