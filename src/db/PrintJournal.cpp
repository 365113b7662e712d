#include "db/PrintJournal.h"

#include "core/IsoDate.h"
#include "db/DocumentDatabase.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
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

// Left beside the journal when it is created: a journal missing while this file is there was
// lost, not never made.
QString witnessPath(const QString &journal) {
    return journal + QStringLiteral(".creado");
}

} // namespace

PrintJournal::~PrintJournal() {
    close();
}

void PrintJournal::close() {
    if (connectionName.isEmpty())
        return;
    QSqlDatabase::database(connectionName, false).close();
    QSqlDatabase::removeDatabase(connectionName);
    connectionName.clear();
}

Failure PrintJournal::failure(const QString &what, const QSqlQuery &query) const {
    return {QStringLiteral("No se pudo %1 el diario de impresión %2: %3")
                .arg(what, QDir::toNativeSeparators(file),
                     QFileInfo::exists(file) ? query.lastError().text()
                                             : QStringLiteral("el archivo desapareció"))};
}

bool PrintJournal::fail(const QString &what, const QSqlQuery &query, QString *error) const {
    if (error)
        *error = failure(what, query).message;
    return false;
}

bool PrintJournal::open(const QString &path, QString *error) {
    file = path;
    const bool exists = QFileInfo::exists(path);
    if (!exists && QFileInfo::exists(witnessPath(path))) {
        if (error)
            *error = QStringLiteral("El diario de impresión %1 desapareció. Sin él, un documento "
                                    "interrumpido podría imprimirse dos veces: el robot no "
                                    "imprimirá hasta que un técnico lo revise y confirme un "
                                    "diario nuevo (robot-fiscal --new-journal).")
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }
    close(); // opened again after a failure: the connection that failed goes
    connectionName = uniqueConnectionName(QStringLiteral("diario"));
    QString problem;
    {
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
            query.exec(
                QStringLiteral("CREATE INDEX IF NOT EXISTS DiarioPendiente ON Diario(Estado)"));
        // SQLite opens a file it may not write read-only without a word, and the first document
        // would fail: one harmless write tells now (the version number written as it was).
        const bool writable =
            ok && query.exec(QStringLiteral("PRAGMA user_version")) && query.next() &&
            query.exec(QStringLiteral("PRAGMA user_version = %1").arg(query.value(0).toLongLong()));
        if (!writable)
            problem = QStringLiteral("No se pudo %1 el diario de impresión %2: %3. Revise que "
                                     "ningún otro programa lo tenga abierto y que el archivo y "
                                     "su carpeta admitan escritura.")
                          .arg(ok ? QStringLiteral("escribir en") : QStringLiteral("abrir"),
                               QDir::toNativeSeparators(path),
                               query.lastError().isValid() ? query.lastError().text()
                                                           : db.lastError().text());
    }
    if (!problem.isEmpty()) {
        close();
        if (error)
            *error = problem;
        return false;
    }
    QFile witness(witnessPath(path));
    if (!witness.exists() && witness.open(QIODevice::WriteOnly))
        witness.write(now().toUtf8() + '\n');
    return true;
}

bool PrintJournal::startAfresh(const QString &path, QString *error) {
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("El diario de impresión %1 existe: no hace falta uno nuevo.")
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }
    QFile::remove(witnessPath(path));
    PrintJournal journal;
    return journal.open(path, error);
}

bool PrintJournal::everCreated(const QString &path) {
    return QFileInfo::exists(witnessPath(path));
}

bool PrintJournal::openReadOnly(const QString &path, QString *error) {
    file = path;
    if (!QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("No existe el diario de impresión %1.")
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }
    connectionName = uniqueConnectionName(QStringLiteral("diario-lectura"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        if (error)
            *error = QStringLiteral("No se pudo abrir el diario de impresión %1: %2")
                         .arg(QDir::toNativeSeparators(path), db.lastError().text());
        return false;
    }
    return true;
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
    return (QFileInfo::exists(file) && query.exec()) ||
           fail(QStringLiteral("escribir"), query, error);
}

std::optional<QList<PrintJournal::Entry>> PrintJournal::cancelOpen(QString *error) {
    std::optional<QList<Entry>> entries = unfinished(error);
    if (!entries)
        return std::nullopt;
    QList<Entry> cancelled;
    for (const Entry &entry : *entries) {
        if (entry.state != State::Printing && entry.state != State::Open &&
            entry.state != State::OpenNumbered)
            continue;
        if (!setState(entry.id, State::Cancelled, error)) {
            restore(cancelled, nullptr);
            return std::nullopt;
        }
        cancelled.append(entry);
    }
    return cancelled;
}

bool PrintJournal::restore(const QList<Entry> &entries, QString *error) {
    bool ok = true;
    for (const Entry &entry : entries)
        ok = setState(entry.id, entry.state, error) && ok;
    return ok;
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

std::optional<QList<PrintJournal::Entry>> PrintJournal::unfinished(QString *error) const {
    // An open SQLite file keeps answering after it was deleted: look for it every time.
    if (!QFileInfo::exists(file)) {
        if (error)
            *error = QStringLiteral("El diario de impresión %1 desapareció: el robot no imprimirá "
                                    "hasta que vuelva a su lugar o un técnico confirme un "
                                    "diario nuevo (robot-fiscal --new-journal).")
                         .arg(QDir::toNativeSeparators(file));
        return std::nullopt;
    }
    return select(QStringLiteral("WHERE Estado NOT IN ('terminado', 'anulado', 'cancelado')"),
                  error);
}

std::optional<QList<PrintJournal::Entry>> PrintJournal::history(QString *error) const {
    return select({}, error);
}

std::optional<QList<PrintJournal::Entry>> PrintJournal::select(const QString &where,
                                                               QString *error) const {
    QList<Entry> entries;
    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT Id, Tipo, Código, Caja, CupónAntes, "
                           "ReduccionesAntes, Estado, Cupón, NúmeroZ, Inicio FROM Diario ") +
            where + QStringLiteral(" ORDER BY Id"))) {
        fail(QStringLiteral("leer"), query, error);
        return std::nullopt;
    }
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
    if (query.lastError().isValid()) {
        fail(QStringLiteral("leer"), query, error);
        return std::nullopt;
    }
    return entries;
}

} // namespace robot
