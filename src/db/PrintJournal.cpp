#include "db/PrintJournal.h"

#include "core/IsoDate.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace robot {

namespace {

const char *stateName(PrintJournal::State state) {
    switch (state) {
    case PrintJournal::State::Printing:
        return "imprimiendo";
    case PrintJournal::State::Printed:
        return "impreso";
    case PrintJournal::State::Done:
        return "terminado";
    case PrintJournal::State::Void:
        return "anulado";
    case PrintJournal::State::Open:
        return "abierto";
    case PrintJournal::State::Unknown:
        return "desconocido";
    case PrintJournal::State::Cancelled:
        return "cancelado";
    case PrintJournal::State::OpenNumbered:
        return "abierto-numerado";
    }
    return "";
}

PrintJournal::State stateFromName(const QString &name) {
    for (auto state :
         {PrintJournal::State::Printing, PrintJournal::State::Printed, PrintJournal::State::Done,
          PrintJournal::State::Void, PrintJournal::State::Open, PrintJournal::State::Cancelled,
          PrintJournal::State::OpenNumbered}) {
        if (name == QLatin1String(stateName(state)))
            return state;
    }
    return PrintJournal::State::Unknown;
}

QString kindName(DocumentKind kind) {
    return kind == DocumentKind::Factura ? QStringLiteral("factura") : QStringLiteral("nota");
}

QString now() {
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

} // namespace

Failure PrintJournal::failure(const QString &what, const QSqlQuery &query) const {
    return {QStringLiteral("No se pudo %1 el diario de impresión %2: %3")
                .arg(what, QDir::toNativeSeparators(file),
                     QFileInfo::exists(file) ? query.lastError().text()
                                             : QStringLiteral("el archivo desapareció"))};
}

Result<qint64> PrintJournal::begin(DocumentKind kind, qint64 codigo, qint32 caja,
                                   qint64 couponBefore, qint64 reductionsBefore) {
    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    query.prepare(QStringLiteral("INSERT INTO Diario (Tipo, Código, Caja, CupónAntes, "
                                 "ReduccionesAntes, Estado, Inicio, Cambio) VALUES (?, ?, ?, ?, "
                                 "?, ?, ?, ?)"));
    const QString stamp = now();
    for (const QVariant &v :
         {QVariant(kindName(kind)), QVariant(codigo), QVariant(caja), QVariant(couponBefore),
          QVariant(reductionsBefore), QVariant(QLatin1String(stateName(State::Printing))),
          QVariant(stamp), QVariant(stamp)})
        query.addBindValue(v);
    if (!QFileInfo::exists(file) || !query.exec())
        return failure(QStringLiteral("escribir"), query);
    return query.lastInsertId().toLongLong();
}

Result<void> PrintJournal::setState(qint64 id, State state, const QString &coupon, qint64 numeroZ) {
    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    query.prepare(QStringLiteral("UPDATE Diario SET Estado = ?, Cupón = COALESCE(?, Cupón), "
                                 "NúmeroZ = COALESCE(?, NúmeroZ), Cambio = ? WHERE Id = ?"));
    query.addBindValue(QLatin1String(stateName(state)));
    query.addBindValue(coupon.isEmpty() ? QVariant() : QVariant(coupon));
    query.addBindValue(numeroZ == 0 ? QVariant() : QVariant(numeroZ));
    query.addBindValue(now());
    query.addBindValue(id);
    if (!QFileInfo::exists(file) || !query.exec())
        return failure(QStringLiteral("escribir"), query);
    return {};
}

Result<QList<PrintJournal::Entry>> PrintJournal::cancelOpen() {
    const Result<QList<Entry>> entries = unfinished();
    if (!entries.ok())
        return Failure{entries.error()};
    QList<Entry> cancelled;
    for (const Entry &entry : entries.value()) {
        if (entry.state != State::Printing && entry.state != State::Open &&
            entry.state != State::OpenNumbered)
            continue;
        if (const Result<void> set = setState(entry.id, State::Cancelled); !set.ok()) {
            (void)restore(cancelled); // the failure to tell is the first one
            return Failure{set.error()};
        }
        cancelled.append(entry);
    }
    return cancelled;
}

Result<void> PrintJournal::restore(const QList<Entry> &entries) {
    Result<void> restored;
    for (const Entry &entry : entries) {
        if (Result<void> set = setState(entry.id, entry.state); !set.ok())
            restored = std::move(set);
    }
    return restored;
}

Result<int> PrintJournal::allowReprint(DocumentKind kind, qint64 codigo) {
    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    query.prepare(QStringLiteral("UPDATE Diario SET Estado = ?, Cambio = ? WHERE Tipo = ? AND "
                                 "Código = ? AND Estado = ?"));
    query.addBindValue(QLatin1String(stateName(State::Void)));
    query.addBindValue(now());
    query.addBindValue(kindName(kind));
    query.addBindValue(codigo);
    query.addBindValue(QLatin1String(stateName(State::Unknown)));
    if (!query.exec())
        return failure(QStringLiteral("escribir"), query);
    return query.numRowsAffected();
}

Result<QList<PrintJournal::Entry>> PrintJournal::unfinished() const {
    // An open SQLite file keeps answering after it was deleted: look for it every time.
    if (!QFileInfo::exists(file)) {
        return Failure{
            QStringLiteral("El diario de impresión %1 desapareció: el robot no imprimirá "
                           "hasta que vuelva a su lugar o un técnico confirme un "
                           "diario nuevo (robot-fiscal --new-journal).")
                .arg(QDir::toNativeSeparators(file))};
    }
    return select(QStringLiteral("WHERE Estado NOT IN ('terminado', 'anulado', 'cancelado')"));
}

Result<QList<PrintJournal::Entry>> PrintJournal::history() const {
    return select({});
}

Result<QList<PrintJournal::Entry>> PrintJournal::select(const QString &where) const {
    QList<Entry> entries;
    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT Id, Tipo, Código, Caja, CupónAntes, "
                           "ReduccionesAntes, Estado, Cupón, NúmeroZ, Inicio FROM Diario ") +
            where + QStringLiteral(" ORDER BY Id")))
        return failure(QStringLiteral("leer"), query);
    while (query.next()) {
        Entry e;
        e.id = query.value(0).toLongLong();
        e.kind = query.value(1).toString() == QStringLiteral("factura") ? DocumentKind::Factura
                                                                        : DocumentKind::NotaCredito;
        e.codigo = query.value(2).toLongLong();
        e.caja = query.value(3).toInt();
        e.couponBefore = query.value(4).toLongLong();
        e.reductionsBefore = query.value(5).toLongLong();
        e.state = stateFromName(query.value(6).toString());
        e.coupon = query.value(7).toString();
        e.numeroZ = query.value(8).toLongLong();
        e.started = isoDateTime(query.value(9).toString());
        entries.append(e);
    }
    if (query.lastError().isValid())
        return failure(QStringLiteral("leer"), query);
    return entries;
}

} // namespace robot
