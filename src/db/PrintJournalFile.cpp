// Opening the print journal: created on the station's first run, checked writable, and never
// created again once lost without a technician's word.
#include "db/PrintJournal.h"

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

Result<void> PrintJournal::open(const QString &path) {
    file = path;
    const bool exists = QFileInfo::exists(path);
    if (!exists && QFileInfo::exists(witnessPath(path))) {
        return Failure{QStringLiteral("El diario de impresión %1 desapareció. Sin él, un documento "
                                      "interrumpido podría imprimirse dos veces: el robot no "
                                      "imprimirá hasta que un técnico lo revise y confirme un "
                                      "diario nuevo (robot-fiscal --new-journal).")
                           .arg(QDir::toNativeSeparators(path))};
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
        return Failure{problem};
    }
    QFile witness(witnessPath(path));
    if (!witness.exists() && witness.open(QIODevice::WriteOnly))
        witness.write(QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + '\n');
    return {};
}

Result<void> PrintJournal::startAfresh(const QString &path) {
    if (QFileInfo::exists(path))
        return Failure{QStringLiteral("El diario de impresión %1 existe: no hace falta uno nuevo.")
                           .arg(QDir::toNativeSeparators(path))};
    QFile::remove(witnessPath(path));
    PrintJournal journal;
    return journal.open(path);
}

bool PrintJournal::everCreated(const QString &path) {
    return QFileInfo::exists(witnessPath(path));
}

Result<void> PrintJournal::openReadOnly(const QString &path) {
    file = path;
    if (!QFileInfo::exists(path))
        return Failure{QStringLiteral("No existe el diario de impresión %1.")
                           .arg(QDir::toNativeSeparators(path))};
    connectionName = uniqueConnectionName(QStringLiteral("diario-lectura"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return Failure{QStringLiteral("No se pudo abrir el diario de impresión %1: %2")
                           .arg(QDir::toNativeSeparators(path), db.lastError().text())};
    return {};
}

} // namespace robot
