#pragma once

#include "core/Result.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace robot {

// Creates an SQLite document database with the station's schema at `path` (which must not
// exist yet). Used by the demo data and the tests.
Result<void> createDocumentDatabase(const QString &path);

// Creates the station's tables, saved queries, indexes and notification triggers in the
// (empty) PostgreSQL database at the server address `address` (see ServerAddress).
Result<void> createServerSchema(const QString &address);

// Runs `statements` in one transaction on `db`: all of them, or none and the failure names the
// statement that failed.
Result<void> runInTransaction(QSqlDatabase db, const QStringList &statements);

} // namespace robot
