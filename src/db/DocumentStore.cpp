#include "db/DocumentStore.h"

#include "core/Clock.h"
#include "core/IsoDate.h"
#include "db/AccessRoute.h"
#include "db/DocumentDatabase.h"
#include "db/ServerAddress.h"
#include "db/ServerDeadline.h"
#include "db/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace robot {

namespace {

Row toRow(const QSqlRecord &record) {
    Row row;
    for (int i = 0; i < record.count(); ++i)
        row.set(record.fieldName(i), record.value(i));
    return row;
}

Failure failure(const QSqlQuery &query) {
    return {query.lastError().text()};
}

constexpr int kPauseBetweenAttempts = 100; // hundredths of a second
constexpr int kServerConnectionIdleMs = 10000;

Result<DocumentRows, ReadFailure> readRows(DocumentConnection &db, DocumentKind kind,
                                           qint64 codigo) {
    using Code = ReadFailure::Code;
    const Statements &sql = db.statements();
    const bool invoice = kind == DocumentKind::Factura;
    const ServerDeadline deadline(db.database());
    QSqlQuery query(db.database());
    query.setForwardOnly(true);
    auto stop = [&](Code code) { return ReadFailure{code, query.lastError().text()}; };
    if (!query.exec(invoice ? sql.invoiceHeader(codigo) : sql.creditNoteHeader(codigo)))
        return stop(Code::HeaderFailed);
    if (!query.next()) {
        if (query.lastError().isValid())
            return stop(Code::HeaderFailed);
        return ReadFailure{Code::NotFound,
                           QStringLiteral("No se encontró el registro %1.").arg(codigo)};
    }
    DocumentRows rows;
    rows.header = toRow(query.record());
    query.finish();
    if (!query.exec(invoice ? sql.invoiceLines(codigo) : sql.creditNoteLines(codigo)))
        return stop(Code::LinesFailed);
    while (query.next())
        rows.lines.append(toRow(query.record()));
    if (query.lastError().isValid())
        return stop(Code::LinesFailed);
    return rows;
}

// An update that changes nothing, rolled back.
Result<void> writeCheck(DocumentConnection &db, DocumentKind kind, qint64 codigo) {
    QSqlDatabase database = db.database();
    const ServerDeadline deadline(database);
    if (!database.transaction())
        return Failure{database.lastError().text()};
    QSqlQuery query(database);
    const bool written =
        query.prepare(kind == DocumentKind::Factura ? db.statements().invoiceWriteCheck()
                                                    : db.statements().creditNoteWriteCheck()) &&
        (query.addBindValue(codigo), query.exec());
    const Result<void> checked = written ? Result<void>() : failure(query);
    query.finish();
    database.rollback();
    return checked;
}

} // namespace

DocumentStore::DocumentStore(const QString &databasePath)
    : path(databasePath), keepsConnection(robot::serverAddress(databasePath).has_value() ||
                                          opensThroughBridge(databasePath)) {
    idle.setSingleShot(true);
    idle.setInterval(kServerConnectionIdleMs);
    QObject::connect(&idle, &QTimer::timeout, [this] { kept.reset(); });
}

DocumentStore::~DocumentStore() = default;

Result<DocumentConnection *> DocumentStore::connect(DocumentConnection &fresh,
                                                    const QString &purpose) const {
    if (!keepsConnection) {
        if (const Result<void> opened = fresh.open(path, purpose); !opened.ok())
            return opened.why();
        return &fresh;
    }
    idle.start();
    // A server restarted since the last call leaves a connection that only a statement finds out.
    const auto answers = [](const QSqlDatabase &db) {
        const ServerDeadline deadline(db);
        return QSqlQuery(db).exec(QStringLiteral("SELECT 1"));
    };
    if (kept && kept->isOpen() && kept->database().isOpen() && answers(kept->database()))
        return kept.get();
    kept = std::make_unique<DocumentConnection>();
    if (const Result<void> opened = kept->open(path, QStringLiteral("documentos")); !opened.ok()) {
        kept.reset();
        return opened.why();
    }
    return kept.get();
}

void DocumentStore::failedOn(DocumentConnection *db) const {
    if (db == kept.get())
        kept.reset();
}

Result<DocumentRows, ReadFailure> DocumentStore::read(DocumentKind kind, qint64 codigo) const {
    DocumentConnection fresh;
    const Result<DocumentConnection *> db = connect(fresh, QStringLiteral("documento"));
    if (!db.ok())
        return ReadFailure{ReadFailure::Code::HeaderFailed, db.error()};
    Result<DocumentRows, ReadFailure> read = readRows(*db.value(), kind, codigo);
    if (!read.ok() && read.why().code != ReadFailure::Code::NotFound)
        failedOn(db.value());
    return read;
}

Result<void> DocumentStore::canWrite(DocumentKind kind, qint64 codigo) const {
    DocumentConnection fresh;
    const Result<DocumentConnection *> db = connect(fresh, QStringLiteral("escritura"));
    if (!db.ok())
        return Failure{db.error()};
    Result<void> written = writeCheck(*db.value(), kind, codigo);
    if (!written.ok())
        failedOn(db.value());
    return written;
}

Result<void> DocumentStore::markPrinted(DocumentKind kind, qint64 codigo, const QString &number,
                                        qint64 numeroZ, Clock &clock, int attempts) const {
    Failure last;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (attempt > 1)
            clock.DelayMili(kPauseBetweenAttempts);
        DocumentConnection fresh;
        const Result<DocumentConnection *> connected = connect(fresh, QStringLiteral("marca"));
        if (!connected.ok()) {
            last = {connected.error()};
            continue;
        }
        DocumentConnection *db = connected.value();
        {
            const ServerDeadline deadline(db->database());
            QSqlQuery query(db->database());
            if (query.prepare(kind == DocumentKind::Factura
                                  ? db->statements().invoiceUpdate()
                                  : db->statements().creditNoteUpdate())) {
                for (const QVariant &value :
                     {QVariant(number), QVariant(number), QVariant(numeroZ), QVariant(codigo)})
                    query.addBindValue(value);
                if (query.exec())
                    return {};
            }
            last = failure(query);
        }
        failedOn(db);
    }
    return last;
}

std::optional<bool> DocumentStore::isMarked(DocumentKind kind, qint64 codigo) const {
    DocumentConnection fresh;
    const Result<DocumentConnection *> connected = connect(fresh, QStringLiteral("consulta"));
    if (!connected.ok())
        return std::nullopt;
    DocumentConnection *db = connected.value();
    const Statements &sql = db->statements();
    std::optional<bool> marked;
    {
        const ServerDeadline deadline(db->database());
        QSqlQuery query(db->database());
        if (query.exec(kind == DocumentKind::Factura ? sql.invoiceHeader(codigo)
                                                     : sql.creditNoteHeader(codigo)))
            marked = query.next() && !query.value(QStringLiteral("Control")).isNull();
    }
    if (!marked)
        failedOn(db);
    return marked;
}

Result<QList<MarkedRecord>> DocumentStore::markedRecords(qint32 caja) const {
    DocumentConnection fresh;
    const Result<DocumentConnection *> connected = connect(fresh, QStringLiteral("conciliacion"));
    if (!connected.ok())
        return Failure{connected.error()};
    DocumentConnection *db = connected.value();
    QList<MarkedRecord> records;
    Failure why;
    bool read = false;
    {
        QSqlQuery query(db->database());
        query.setForwardOnly(true);
        if (query.exec(db->statements().markedRecords(caja))) {
            while (query.next()) {
                MarkedRecord record;
                record.kind =
                    query.value(0).toInt() == 0 ? DocumentKind::Factura : DocumentKind::NotaCredito;
                record.codigo = query.value(1).toLongLong();
                const QVariant fecha = query.value(2);
                // A date column, or text that starts with one (the embedded file keeps text).
                record.fecha = fecha.typeId() == QMetaType::QString
                                   ? leadingIsoDate(fecha.toString())
                                   : fecha.toDate();
                record.control = query.value(3).toString();
                records.append(record);
            }
            read = !query.lastError().isValid();
        }
        if (!read)
            why = failure(query);
    }
    if (!read) {
        failedOn(db);
        return why;
    }
    return records;
}

Result<std::optional<Row>> DocumentStore::configurationRecord() const {
    DocumentConnection fresh;
    const Result<DocumentConnection *> connected = connect(fresh, QStringLiteral("configuracion"));
    if (!connected.ok())
        return connected.why();
    DocumentConnection *db = connected.value();
    Result<std::optional<Row>> read = Failure{};
    {
        const ServerDeadline deadline(db->database());
        QSqlQuery query(db->database());
        if (!query.exec(db->statements().configuration()))
            read = failure(query);
        else if (query.next())
            read = std::optional<Row>(toRow(query.record()));
        else if (query.lastError().isValid())
            read = failure(query);
        else
            read = std::optional<Row>();
    }
    if (!read.ok())
        failedOn(db);
    return read;
}

} // namespace robot
