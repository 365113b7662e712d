#include "db/ReportJournal.h"

#include "core/IsoDate.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace robot {

namespace {

QVariant orNull(const std::optional<qint64> &value) {
    return value ? QVariant(*value) : QVariant();
}

std::optional<qint64> fromNullable(const QVariant &value) {
    if (value.isNull())
        return std::nullopt;
    return value.toLongLong();
}

// `what` says what could not be done, with %1 for the journal's file.
Failure failed(const PrintJournal &journal, const QString &what, const QSqlQuery &query) {
    return {what.arg(QDir::toNativeSeparators(journal.path())) +
            QStringLiteral(": %1. Revise que el archivo admita escritura y que ningún otro "
                           "programa lo tenga abierto.")
                .arg(query.lastError().text())};
}

const QString kNotWritten = QStringLiteral("No se pudo anotar el reporte en el diario de "
                                           "impresión %1");
const QString kNotRead = QStringLiteral("No se pudieron leer los reportes del diario de "
                                        "impresión %1");

} // namespace

QString JournalReport::describe() const {
    if (kind == Kind::X)
        return QStringLiteral("lectura X");
    return numeroZ > 0 ? QStringLiteral("reducción Z número %1").arg(numeroZ)
                       : QStringLiteral("reducción Z");
}

Result<void> recordReport(PrintJournal &journal, const JournalReport &report) {
    QSqlQuery query(QSqlDatabase::database(journal.connection(), false));
    // Made on the first report: journals from before reports were kept have no such table.
    if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Informes (Id INTEGER PRIMARY "
                                   "KEY, Tipo TEXT NOT NULL, Caja INTEGER NOT NULL, CupónAntes "
                                   "INTEGER, CupónDespués INTEGER, NúmeroZ INTEGER, Hora TEXT "
                                   "NOT NULL)")))
        return failed(journal, kNotWritten, query);
    query.prepare(QStringLiteral("INSERT INTO Informes (Tipo, Caja, CupónAntes, CupónDespués, "
                                 "NúmeroZ, Hora) VALUES (?, ?, ?, ?, ?, ?)"));
    query.addBindValue(report.kind == JournalReport::Kind::Z ? QStringLiteral("Z")
                                                             : QStringLiteral("X"));
    query.addBindValue(report.caja);
    query.addBindValue(orNull(report.couponBefore));
    query.addBindValue(orNull(report.couponAfter));
    query.addBindValue(report.numeroZ > 0 ? QVariant(report.numeroZ) : QVariant());
    query.addBindValue(report.at.toString(Qt::ISODate));
    if (!query.exec())
        return failed(journal, kNotWritten, query);
    return {};
}

Result<QList<JournalReport>> journalReports(const PrintJournal &journal) {
    const QSqlDatabase db = QSqlDatabase::database(journal.connection(), false);
    QList<JournalReport> reports;
    if (!db.tables().contains(QStringLiteral("Informes")))
        return reports;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT Tipo, Caja, CupónAntes, CupónDespués, NúmeroZ, Hora "
                                   "FROM Informes ORDER BY Id")))
        return failed(journal, kNotRead, query);
    while (query.next()) {
        JournalReport report;
        report.kind = query.value(0).toString() == QStringLiteral("Z") ? JournalReport::Kind::Z
                                                                       : JournalReport::Kind::X;
        report.caja = query.value(1).toInt();
        report.couponBefore = fromNullable(query.value(2));
        report.couponAfter = fromNullable(query.value(3));
        report.numeroZ = query.value(4).toLongLong();
        report.at = isoDateTime(query.value(5).toString());
        reports.append(report);
    }
    if (query.lastError().isValid())
        return failed(journal, kNotRead, query);
    return reports;
}

Result<bool> zReportSince(const PrintJournal &journal, const QDateTime &since) {
    const Result<QList<JournalReport>> reports = journalReports(journal);
    if (!reports.ok())
        return Failure{reports.error()};
    const QList<JournalReport> &all = reports.value();
    return std::any_of(all.cbegin(), all.cend(), [&since](const JournalReport &report) {
        return report.kind == JournalReport::Kind::Z && report.at >= since;
    });
}

} // namespace robot
