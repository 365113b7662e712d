#include "documents/PrintJournal.h"

#include <QDateTime>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

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
    }
    return "";
}

PrintJournal::State stateFromName(const QString &name) {
    for (auto state :
         {PrintJournal::State::Printing, PrintJournal::State::Printed, PrintJournal::State::Done,
          PrintJournal::State::Void, PrintJournal::State::Open, PrintJournal::State::Unknown}) {
        if (name == QLatin1String(stateName(state)))
            return state;
    }
    return PrintJournal::State::Unknown;
}

QString kindName(PrintJournal::Kind kind) {
    return kind == PrintJournal::Kind::Factura ? QStringLiteral("factura") : QStringLiteral("nota");
}

QString now() {
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

} // namespace

PrintJournal::~PrintJournal() {
    if (connectionName.isEmpty())
        return;
    QSqlDatabase::database(connectionName, false).close();
    QSqlDatabase::removeDatabase(connectionName);
}

bool PrintJournal::open(const QString &path, QString *error) {
    static std::atomic<int> counter{0};
    connectionName = QStringLiteral("diario-%1").arg(++counter);
    file = path;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    QSqlQuery query(db);
    const bool ok =
        db.open() && query.exec(QStringLiteral("PRAGMA synchronous = FULL")) &&
        query.exec(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS Diario (Id INTEGER PRIMARY KEY, Tipo TEXT NOT NULL, "
            "Código INTEGER NOT NULL, Caja INTEGER NOT NULL, CupónAntes INTEGER NOT NULL, "
            "ReduccionesAntes INTEGER NOT NULL, Estado TEXT NOT NULL, Cupón TEXT, NúmeroZ "
            "INTEGER, Inicio TEXT NOT NULL, Cambio TEXT NOT NULL)")) &&
        query.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS DiarioPendiente ON Diario(Estado)"));
    if (!ok && error) {
        *error = QStringLiteral("No se pudo abrir el diario de impresión %1: %2")
                     .arg(QDir::toNativeSeparators(path), query.lastError().isValid()
                                                              ? query.lastError().text()
                                                              : db.lastError().text());
    }
    return ok;
}

qint64 PrintJournal::begin(Kind kind, qint32 codigo, qint32 caja, qint64 couponBefore,
                           qint64 reductionsBefore, QString *error) {
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
    if (!query.exec()) {
        if (error)
            *error = QStringLiteral("No se pudo escribir el diario de impresión: ") +
                     query.lastError().text();
        return 0;
    }
    return query.lastInsertId().toLongLong();
}

bool PrintJournal::setState(qint64 id, State state, QString *error, const QString &coupon,
                            qint64 numeroZ) {
    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    query.prepare(QStringLiteral("UPDATE Diario SET Estado = ?, Cupón = COALESCE(?, Cupón), "
                                 "NúmeroZ = COALESCE(?, NúmeroZ), Cambio = ? WHERE Id = ?"));
    query.addBindValue(QLatin1String(stateName(state)));
    query.addBindValue(coupon.isEmpty() ? QVariant() : QVariant(coupon));
    query.addBindValue(numeroZ == 0 ? QVariant() : QVariant(numeroZ));
    query.addBindValue(now());
    query.addBindValue(id);
    if (!query.exec()) {
        if (error)
            *error = QStringLiteral("No se pudo escribir el diario de impresión: ") +
                     query.lastError().text();
        return false;
    }
    return true;
}

int PrintJournal::allowReprint(Kind kind, qint32 codigo, QString *error) {
    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    query.prepare(QStringLiteral("UPDATE Diario SET Estado = ?, Cambio = ? WHERE Tipo = ? AND "
                                 "Código = ? AND Estado = ?"));
    query.addBindValue(QLatin1String(stateName(State::Void)));
    query.addBindValue(now());
    query.addBindValue(kindName(kind));
    query.addBindValue(codigo);
    query.addBindValue(QLatin1String(stateName(State::Unknown)));
    if (!query.exec()) {
        if (error)
            *error = QStringLiteral("No se pudo escribir el diario de impresión: ") +
                     query.lastError().text();
        return -1;
    }
    return query.numRowsAffected();
}

QList<PrintJournal::Entry> PrintJournal::unfinished() const {
    QList<Entry> entries;
    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    query.exec(QStringLiteral("SELECT Id, Tipo, Código, Caja, CupónAntes, ReduccionesAntes, "
                              "Estado, Cupón, NúmeroZ FROM Diario WHERE Estado NOT IN "
                              "('terminado', 'anulado') ORDER BY Id"));
    while (query.next()) {
        Entry e;
        e.id = query.value(0).toLongLong();
        e.kind = query.value(1).toString() == QStringLiteral("factura") ? Kind::Factura
                                                                        : Kind::NotaCredito;
        e.codigo = query.value(2).toInt();
        e.caja = query.value(3).toInt();
        e.couponBefore = query.value(4).toLongLong();
        e.reductionsBefore = query.value(5).toLongLong();
        e.state = stateFromName(query.value(6).toString());
        e.coupon = query.value(7).toString();
        e.numeroZ = query.value(8).toLongLong();
        entries.append(e);
    }
    return entries;
}

bool PrintJournal::hasUnfinished() const {
    return !unfinished().isEmpty();
}

QString PrintJournal::describe(const Entry &entry) {
    return (entry.kind == Kind::Factura ? QStringLiteral("factura %1")
                                        : QStringLiteral("nota de crédito %1"))
        .arg(entry.codigo);
}
