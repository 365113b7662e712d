#pragma once

#include "core/Result.h"
#include "db/PrintJournal.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <optional>

namespace robot {

// An X or Z report the station printed, kept in the print journal's file: the coupon numbers
// it took on a printer that counts reports as documents are then explained, and a scheduled Z
// is never printed twice on one day, across restarts.
struct JournalReport {
    enum class Kind { X, Z };
    Kind kind = Kind::X;
    qint32 caja = 0;
    // The printer's coupon counter just before and after the report; nothing when not read.
    std::optional<qint64> couponBefore;
    std::optional<qint64> couponAfter;
    qint64 numeroZ = 0; // the reduction counter after it; 0 when not read
    QDateTime at;

    // The coupon number the report took: the counter moved by one across it.
    std::optional<qint64> couponTaken() const {
        if (couponBefore && couponAfter && *couponAfter == *couponBefore + 1)
            return couponAfter;
        return std::nullopt;
    }
    // "lectura X" or "reducción Z número 12", for a line of a report.
    QString describe() const;
};

Result<void> recordReport(PrintJournal &journal, const JournalReport &report);
// Every report, oldest first; none in a journal from before reports were kept.
Result<QList<JournalReport>> journalReports(const PrintJournal &journal);
// Whether a Z report was recorded at `since` or after it.
Result<bool> zReportSince(const PrintJournal &journal, const QDateTime &since);

} // namespace robot
