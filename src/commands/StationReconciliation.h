#pragma once

#include "commands/ReconciliationReport.h"
#include "core/ExitCode.h"
#include "core/Result.h"

#include <QDate>
#include <QString>

class QTextStream;

namespace robot {

class FiscalPrinter;

// Where one station's reconciliation reads: its document database, its print journal and its
// Caja.
struct ReconciliationSources {
    QString databasePath;
    QString journalPath;
    qint32 caja = 0;
};

// Reads the records, the journal and the printer's coupon counter (information queries only)
// and compares them. Why not, when the database or the journal cannot be read; a printer
// that does not answer only narrows the report.
Result<ReconciliationReport> reconcileStation(const ReconciliationSources &sources,
                                              FiscalPrinter &printer, const QDate &from,
                                              const QDate &to);

// robot-fiscal --conciliar: one line per finding and the summary on `out`, the same as CSV
// in `csvPath` when given. Done when nothing needs a person.
ExitCode runReconciliation(const ReconciliationSources &sources, FiscalPrinter &printer,
                           const QDate &from, const QDate &to, const QString &csvPath,
                           QTextStream &out);

} // namespace robot
