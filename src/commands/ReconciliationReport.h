#pragma once

#include "db/DocumentStore.h"
#include "db/PrintJournal.h"
#include "db/ReportJournal.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace robot {

// What the reconciliation compares: the records of one Caja that carry a control number, the
// print journal with the reports the station printed, and the printer's coupon counter
// (nothing when the printer did not answer).
struct ReconciliationInput {
    qint32 caja = 0;
    QList<MarkedRecord> records;
    QList<PrintJournal::Entry> journal;
    QList<JournalReport> reports;
    std::optional<qint64> printerCoupon;
    QDate from; // invalid: no lower limit
    QDate to;   // invalid: up to the printer's counter
    QDateTime now;
};

struct Finding {
    enum class Kind {
        Duplicate,     // one coupon number in two records
        Unreadable,    // a control number that is no coupon number
        Hole,          // numbers no record holds, not explained by the journal
        ExplainedHole, // numbers no record holds, explained by the journal (a note only)
        NotMarked,     // printed by the station, the record not marked
        MarkedOutside, // marked, but never printed by the station
        HeldBack,      // held by the journal until a person decides
    };
    Kind kind;
    QString text; // the sentence the report prints
    // What a spreadsheet filters on; empty where the finding has none: the documents, the
    // coupon or control numbers and the dates (AAAA-MM-DD) it is about.
    QString documents;
    QString number;
    QString date;
};

struct ReconciliationReport {
    QList<Finding> findings;
    QString summary;
    // Whether anything needs a person: every finding but the explained holes.
    bool clean() const;
};

ReconciliationReport reconcile(const ReconciliationInput &input);

// The findings as CSV for a spreadsheet, in UTF-8 with a byte-order mark (which spreadsheets
// need to read accents): kind, documents, number, date and the sentence, then the summary.
QString reconciliationCsv(const ReconciliationReport &report);

} // namespace robot
