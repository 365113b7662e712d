#include "db/PendingSources.h"

#include "db/Statements.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace {
QString uniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("fuentes-%1").arg(++counter);
}
} // namespace

PendingSources::PendingSources(const QString &rutaBaseDatos, qint32 caja, QObject *parent)
    : QObject(parent), path(rutaBaseDatos), machine(caja) {}

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
    // An open SQLite file keeps answering after its share is gone; look for it every time.
    if (!QFileInfo::exists(path)) {
        return fail(QStringLiteral("No se encuentra la base de datos %1.")
                        .arg(QDir::toNativeSeparators(path)));
    }
    if (connection.isOpen())
        return true;
    QString why;
    if (!connection.open(path, uniqueConnectionName(), &why))
        return fail(why);
    return true;
}

bool PendingSources::runInto(QString (Statements::*statement)(qint32) const,
                             QList<PendingDocument> &rows) {
    QList<PendingDocument> fresh;
    {
        QSqlQuery query(connection.database());
        query.setForwardOnly(true);
        if (!query.exec((connection.statements().*statement)(machine)))
            return fail(query.lastError().text());
        while (query.next()) {
            fresh.append({query.value(QStringLiteral("Código")).toInt(),
                          query.value(QStringLiteral("VistaEspecial")).toString()});
        }
        if (query.lastError().isValid())
            return fail(query.lastError().text());
    }
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

std::optional<QSqlRecord> PendingSources::configurationRecord() {
    if (!ensureOpen())
        return std::nullopt;
    QSqlQuery query(connection.database());
    if (!query.exec(connection.statements().configuration())) {
        error = query.lastError().text();
        return std::nullopt;
    }
    if (!query.next()) {
        error.clear();
        return std::nullopt;
    }
    return query.record();
}
