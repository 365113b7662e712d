#include "db/PendingSources.h"

#include "db/ServerDeadline.h"

#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <limits>
#include <optional>

namespace robot {

namespace {

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
    : QObject(parent), path(rutaBaseDatos), machine(caja), serverSession(rutaBaseDatos, caja) {}

PendingSources::~PendingSources() = default;

bool PendingSources::fail(const QString &why) {
    error = why;
    serverSession.close(); // the next refresh opens it again: the share may come back
    const bool hadRows = !data5.isEmpty() || !data6.isEmpty();
    data5.clear();
    data6.clear();
    if (hadRows)
        emit listsChanged();
    return false;
}

bool PendingSources::ensureOpen() {
    const Result<void> opened = serverSession.open();
    return opened.ok() || fail(opened.error());
}

bool PendingSources::runInto(QString (Statements::*statement)(qint32) const,
                             QList<PendingDocument> &rows) {
    QList<PendingDocument> fresh;
    std::optional<QString> failure;
    {
        DocumentConnection &db = serverSession.documents();
        const ServerDeadline deadline(db.database());
        QSqlQuery query(db.database());
        query.setForwardOnly(true);
        if (query.exec((db.statements().*statement)(machine))) {
            while (query.next()) {
                const QVariant code = query.value(QStringLiteral("Código"));
                const std::optional<qint64> codigo = documentCode(code);
                fresh.append({codigo.value_or(0), codigo.has_value(), code.toString(),
                              query.value(QStringLiteral("VistaEspecial")).toString()});
            }
        }
        if (query.lastError().isValid())
            failure = serverSession.failureOf(query, deadline);
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

Result<qsizetype> PendingSources::pendingNow() {
    if (!RefrescaListas())
        return Failure{error};
    return data5.size() + data6.size();
}

} // namespace robot
