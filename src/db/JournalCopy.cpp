#include "db/JournalCopy.h"

#include "db/DocumentDatabase.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace robot {

Result<void> copyJournal(const QString &journal, const QString &copy) {
    const QString name = uniqueConnectionName(QStringLiteral("paquete"));
    Result<void> copied;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(journal);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        QSqlQuery query(db);
        if (!(db.open() && query.prepare(QStringLiteral("VACUUM INTO ?")) &&
              (query.addBindValue(copy), query.exec())))
            copied = Failure{QStringLiteral("no se pudo copiar el diario de impresión: %1")
                                 .arg(query.lastError().isValid() ? query.lastError().text()
                                                                  : db.lastError().text())};
    }
    QSqlDatabase::removeDatabase(name);
    return copied;
}

} // namespace robot
