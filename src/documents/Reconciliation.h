#pragma once

#include "documents/PrintJournal.h"
#include "documents/PrintingContext.h"

#include <QString>

class FiscalPrinter;

// What the printer's counters say right now.
struct PrinterCounters {
    bool answered = false;
    QString couponText; // as the printer returned it, e.g. "000124"
    qint64 coupon = 0;
    qint64 reductions = 0;
    bool documentOpen = false;
};
// Reads the coupon and reduction counters and whether a document is open. A library that
// cannot be loaded throws PrinterUnavailable.
PrinterCounters readCounters(FiscalPrinter &printer);

// Settles every journal entry that did not finish, from the printer's own counters:
// completed documents are written back, documents never issued may be printed again, and a
// document still open or that the counters cannot explain is kept out of automatic printing
// and shown to the operator.
class Reconciler {
public:
    explicit Reconciler(const PrintingContext &context) : ctx(context), journal(context.journal) {}

    // True when no entry waits on the printer, so a new document may be started.
    bool reconcile();

private:
    bool writeBack(const PrintJournal::Entry &entry, QString *error);
    // The operator settles a held-back document by marking it in the back office.
    bool markedInDatabase(const PrintJournal::Entry &entry);
    void settleOnPrinter(const PrintJournal::Entry &entry, bool &mayPrint, QStringList &notices);

    PrintingContext ctx;
    PrintJournal &journal;
};
