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

std::optional<ReconciliationReport> reconcileStation(const ReconciliationSources &sources,
                                                     FiscalPrinter &printer, const QDate &from,
                                                     const QDate &to, QString *error) {
    ReconciliationInput input;
    input.caja = sources.caja;
    input.from = from;
    input.to = to;
    input.now = QDateTime::currentDateTime();

    QString reason;
    const std::optional<QList<MarkedRecord>> records =
        DocumentStore(sources.databasePath).markedRecords(sources.caja, &reason);
    if (!records) {
        *error = QStringLiteral("No se pudo leer la base de datos: %1").arg(reason);
        return std::nullopt;
    }
    input.records = *records;

    // A station that never printed has no journal yet: nothing it printed to compare.
    if (QFileInfo::exists(sources.journalPath)) {
        PrintJournal journal;
        std::optional<QList<PrintJournal::Entry>> entries;
        std::optional<QList<JournalReport>> reports;
        if (journal.openReadOnly(sources.journalPath, &reason) &&
            (entries = journal.history(&reason)))
            reports = journalReports(journal, &reason);
        if (!reports) {
            *error = reason;
            return std::nullopt;
        }
        input.journal = *entries;
        input.reports = *reports;
    }

    try {
        const PrinterCounters counters = readCounters(printer);
        if (counters.answered)
            input.printerCoupon = counters.coupon;
    } catch (const PrinterUnavailable &) {
        // Reported in the summary: the holes end at the last record.
    }
    return reconcile(input);
}

ExitCode runReconciliation(const ReconciliationSources &sources, FiscalPrinter &printer,
                           const QDate &from, const QDate &to, const QString &csvPath,
                           QTextStream &out) {
    QString error;
    const std::optional<ReconciliationReport> report =
        reconcileStation(sources, printer, from, to, &error);
    if (!report) {
        out << error << Qt::endl;
        return ExitCode::NotDone;
    }
    for (const Finding &finding : report->findings)
        out << finding.text << u'\n';
    out << report->summary << Qt::endl;
    if (!csvPath.isEmpty()) {
        QSaveFile csv(csvPath);
        if (!csv.open(QIODevice::WriteOnly) || csv.write(reconciliationCsv(*report).toUtf8()) < 0 ||
            !csv.commit()) {
            out << QStringLiteral("No se pudo escribir %1: %2")
                       .arg(QDir::toNativeSeparators(csvPath), csv.errorString())
                << Qt::endl;
            return ExitCode::NotDone;
        }
    }
    return report->clean() ? ExitCode::Done : ExitCode::NotDone;
}

} // namespace robot
