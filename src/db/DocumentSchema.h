#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace robot {

// Creates an SQLite document database with the station's schema at `path` (which must not
// exist yet). Used by the demo data and the tests.
bool createDocumentDatabase(const QString &path, QString *error);

// Creates the station's tables, saved queries, indexes and notification triggers in the
// (empty) PostgreSQL database at the server address `address` (see ServerAddress).
bool createServerSchema(const QString &address, QString *error);

// Runs `statements` in one transaction on `db`: all of them, or none and `error` names the
// statement that failed.
bool runInTransaction(QSqlDatabase db, const QStringList &statements, QString *error);

} // namespace robot
