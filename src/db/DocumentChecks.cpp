#include "db/DocumentChecks.h"

#include "core/SystemErrors.h"
#include "db/DocumentDatabase.h"
#include "db/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

namespace robot {

Result<void> documentsWritable(DocumentConnection &connection) {
    QSqlDatabase database = connection.database();
    if (!database.transaction())
        return Failure{database.lastError().text()};
    Result<void> written;
    for (const QString &statement : {connection.statements().invoiceWriteCheck(),
                                     connection.statements().creditNoteWriteCheck()}) {
        QSqlQuery query(database);
        if (!query.prepare(statement) || (query.addBindValue(-1), !query.exec())) {
            written = Failure{explainError(query.lastError().text())};
            break;
        }
    }
    database.rollback();
    return written;
}

Result<bool> anyDocumentOfCaja(DocumentConnection &connection, qint32 caja) {
    QSqlQuery any(connection.database());
    if (!any.exec(connection.statements().anyDocumentOfCaja(caja)))
        return Failure{explainError(any.lastError().text())};
    return any.next();
}

} // namespace robot
