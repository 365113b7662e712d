#include "journal/PrinterCounters.h"

#include "printer/FiscalPrinter.h"

#include <algorithm>

namespace robot {

namespace {
bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
} // namespace

qint64 reductionCount(const QString &reply) {
    const QString text = reply.trimmed();
    qsizetype digits = 0;
    // 18 digits always fit in 64 bits; a longer run is not a count a printer keeps.
    while (digits < text.size() && digits < 18 && isAsciiDigit(text[digits]))
        ++digits;
    return text.left(digits).toLongLong();
}

QString counterText(const QString &reply) {
    QString text = reply;
    while (text.endsWith(u' ') || text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

std::optional<qint64> documentCounter(const QString &reply) {
    const QString text = counterText(reply);
    if (text.isEmpty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), isAsciiDigit))
        return std::nullopt;
    return text.toLongLong();
}

PrinterCounters readCounters(FiscalPrinter &printer) {
    PrinterCounters counters;
    QString coupon(6, u' ');
    QString reductions(6, u' ');
    const PrinterReply couponRead = printer.NumeroCupon(coupon);
    const PrinterReply status = printer.RetornoImpresora();
    const PrinterReply reductionsRead = printer.NumeroReducciones(reductions);
    const std::optional<qint64> couponNumber = documentCounter(coupon);
    counters.couponText = counterText(coupon);
    counters.coupon = couponNumber.value_or(0);
    counters.reductions = reductionCount(reductions);
    counters.documentOpen = status.documentOpen();
    for (const PrinterReply *reply : {&couponRead, &status, &reductionsRead}) {
        if (!reply->ok()) {
            counters.failed = *reply;
            return counters;
        }
    }
    counters.answered = couponNumber.has_value();
    return counters;
}

} // namespace robot
