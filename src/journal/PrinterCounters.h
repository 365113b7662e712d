#pragma once

#include "printer/PrinterReply.h"

#include <QString>
#include <optional>

namespace robot {

class FiscalPrinter;

// The reduction count as the printer returns it: its leading number, blank giving 0
// ("   124" is 124, "000045" is 45).
qint64 reductionCount(const QString &reply);

// A document counter as the printer returns it, padded with blanks after it. Anything but
// plain digits ("+00005", "  12", "-00001") is a printer fault: never written into a record.
std::optional<qint64> documentCounter(const QString &reply);
// The same reply as text, without its padding ("000124").
QString counterText(const QString &reply);

// What the printer's counters say right now.
struct PrinterCounters {
    bool answered = false;
    QString couponText; // as the printer returned it, e.g. "000124"
    qint64 coupon = 0;
    qint64 reductions = 0;
    bool documentOpen = false;
    // When not answered: the reply that was not, as it came (a coupon counter that is not a
    // number is its call's fault too).
    PrinterReply failed;
};
// Reads the coupon and reduction counters and whether a document is open.
PrinterCounters readCounters(FiscalPrinter &printer);

} // namespace robot
