#include "commands/StationReconciliation.h"

#include "db/DocumentStore.h"
#include "db/PrintJournal.h"
#include "journal/PrinterCounters.h"
#include "printer/FiscalPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace robot {

Result<ReconciliationReport> reconcileStation(const ReconciliationSources &sources,
                                              FiscalPrinter &printer, const QDate &from,
                                              const QDate &to) {
    ReconciliationInput input;
    input.caja = sources.caja;
    input.from = from;
    input.to = to;
    input.now = QDateTime::currentDateTime();

    const Result<QList<MarkedRecord>> records =
        DocumentStore(sources.databasePath).markedRecords(sources.caja);
    if (!records.ok())
        return Failure{QStringLiteral("No se pudo leer la base de datos: %1").arg(records.error())};
    input.records = records.value();

    // A station that never printed has no journal yet: nothing it printed to compare.
    if (QFileInfo::exists(sources.journalPath)) {
        PrintJournal journal;
        const Result<void> opened = journal.openReadOnly(sources.journalPath);
        const Result<QList<PrintJournal::Entry>> entries =
            opened.ok() ? journal.history() : Failure{opened.error()};
        if (!entries.ok())
            return Failure{entries.error()};
        const Result<QList<JournalReport>> reports = journalReports(journal);
        if (!reports.ok())
            return Failure{reports.error()};
        input.journal = entries.value();
        input.reports = reports.value();
    }

    // A printer that does not answer is reported in the summary: the holes end at the last
    // record.
    if (const PrinterCounters counters = readCounters(printer); counters.answered)
        input.printerCoupon = counters.coupon;
    return reconcile(input);
}

ExitCode runReconciliation(const ReconciliationSources &sources, FiscalPrinter &printer,
                           const QDate &from, const QDate &to, const QString &csvPath,
                           QTextStream &out) {
    const Result<ReconciliationReport> reconciled = reconcileStation(sources, printer, from, to);
    if (!reconciled.ok()) {
        out << reconciled.error() << Qt::endl;
        return ExitCode::NotDone;
    }
    const ReconciliationReport &report = reconciled.value();
    for (const Finding &finding : report.findings)
        out << finding.text << u'\n';
    out << report.summary << Qt::endl;
    if (!csvPath.isEmpty()) {
        QSaveFile csv(csvPath);
        if (!csv.open(QIODevice::WriteOnly) || csv.write(reconciliationCsv(report).toUtf8()) < 0 ||
            !csv.commit()) {
            out << QStringLiteral("No se pudo escribir %1: %2")
                       .arg(QDir::toNativeSeparators(csvPath), csv.errorString())
                << Qt::endl;
            return ExitCode::NotDone;
        }
    }
    return report.clean() ? ExitCode::Done : ExitCode::NotDone;
}

} // namespace robot
