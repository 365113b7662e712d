#include "documents/MarkPrinted.h"

#include "db/DocumentDatabase.h"
#include "documents/Clock.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
constexpr int kAttempts = 4;
constexpr int kPauseBetweenAttempts = 100; // hundredths of a second
} // namespace

bool markPrinted(DocumentConnection &connection, const QString &databasePath,
                 const QString &statement, const QVariantList &values, Clock &clock,
                 QString *error) {
    const QString name = connection.database().connectionName();
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (attempt > 1) {
            clock.DelayMili(kPauseBetweenAttempts);
            if (!connection.open(databasePath, name, error))
                continue;
        }
        QSqlQuery query(connection.database());
        if (query.prepare(statement)) {
            for (const QVariant &value : values)
                query.addBindValue(value);
            if (query.exec())
                return true;
        }
        if (error)
            *error = query.lastError().text();
    }
    return false;
}
