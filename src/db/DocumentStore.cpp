#include "db/DocumentStore.h"

#include "core/Clock.h"
#include "db/DocumentDatabase.h"
#include "db/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

Row toRow(const QSqlRecord &record) {
    Row row;
    for (int i = 0; i < record.count(); ++i)
        row.set(record.fieldName(i), record.value(i));
    return row;
}

bool failed(const QSqlQuery &query, QString *error) {
    if (error)
        *error = query.lastError().text();
    return false;
}

constexpr int kPauseBetweenAttempts = 100; // hundredths of a second

} // namespace

DocumentStore::ReadOutcome DocumentStore::read(DocumentKind kind, qint64 codigo, DocumentRows *rows,
                                               QString *error) const {
    DocumentConnection db;
    if (!db.open(path, QStringLiteral("documento"), error))
        return ReadOutcome::HeaderFailed;
    const Statements &sql = db.statements();
    const bool invoice = kind == DocumentKind::Factura;
    QSqlQuery query(db.database());
    query.setForwardOnly(true);
    if (!query.exec(invoice ? sql.invoiceHeader(codigo) : sql.creditNoteHeader(codigo))) {
        failed(query, error);
        return ReadOutcome::HeaderFailed;
    }
    if (!query.next()) {
        if (query.lastError().isValid()) {
            failed(query, error);
            return ReadOutcome::HeaderFailed;
        }
        return ReadOutcome::NotFound;
    }
    rows->header = toRow(query.record());
    rows->lines.clear();
    query.finish();
    if (!query.exec(invoice ? sql.invoiceLines(codigo) : sql.creditNoteLines(codigo))) {
        failed(query, error);
        return ReadOutcome::LinesFailed;
    }
    while (query.next())
        rows->lines.append(toRow(query.record()));
    if (query.lastError().isValid()) {
        failed(query, error);
        return ReadOutcome::LinesFailed;
    }
    return ReadOutcome::Read;
}

bool DocumentStore::canWrite(DocumentKind kind, qint64 codigo, QString *error) const {
    DocumentConnection db;
    if (!db.open(path, QStringLiteral("escritura"), error))
        return false;
    QSqlDatabase database = db.database();
    if (!database.transaction()) {
        if (error)
            *error = database.lastError().text();
        return false;
    }
    QSqlQuery query(database);
    const bool written =
        query.prepare(kind == DocumentKind::Factura ? db.statements().invoiceWriteCheck()
                                                    : db.statements().creditNoteWriteCheck()) &&
        (query.addBindValue(codigo), query.exec());
    if (!written)
        failed(query, error);
    query.finish();
    database.rollback();
    return written;
}

bool DocumentStore::markPrinted(DocumentKind kind, qint64 codigo, const QString &number,
                                qint64 numeroZ, Clock &clock, int attempts, QString *error) const {
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (attempt > 1)
            clock.DelayMili(kPauseBetweenAttempts);
        DocumentConnection db;
        if (!db.open(path, QStringLiteral("marca"), error))
            continue;
        QSqlQuery query(db.database());
        if (query.prepare(kind == DocumentKind::Factura ? db.statements().invoiceUpdate()
                                                        : db.statements().creditNoteUpdate())) {
            for (const QVariant &value :
                 {QVariant(number), QVariant(number), QVariant(numeroZ), QVariant(codigo)})
                query.addBindValue(value);
            if (query.exec())
                return true;
        }
        failed(query, error);
    }
    return false;
}

std::optional<bool> DocumentStore::isMarked(DocumentKind kind, qint64 codigo) const {
    DocumentConnection db;
    QString error;
    if (!db.open(path, QStringLiteral("consulta"), &error))
        return std::nullopt;
    QSqlQuery query(db.database());
    const Statements &sql = db.statements();
    if (!query.exec(kind == DocumentKind::Factura ? sql.invoiceHeader(codigo)
                                                  : sql.creditNoteHeader(codigo)))
        return std::nullopt;
    if (!query.next())
        return false;
    return !query.value(QStringLiteral("Control")).isNull();
}
