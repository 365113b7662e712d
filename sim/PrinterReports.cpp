#include "PrinterModel.h"

#include <QDate>
#include <QTime>

using Receipt::digits;
using Receipt::money;
using Receipt::row;

namespace {

// The date and time a Z report may be given: empty for the printer's clock.
std::optional<QDate> reportDate(const QString &text, const QDate &clock) {
    if (text.trimmed().isEmpty())
        return clock;
    for (const char *format : {"dd/MM/yy", "ddMMyy"}) {
        const QDate date = QDate::fromString(text, QLatin1String(format));
        if (date.isValid())
            return date.addYears(date.year() < 2000 ? 100 : 0);
    }
    return std::nullopt;
}

std::optional<QTime> reportTime(const QString &text, const QTime &clock) {
    if (text.trimmed().isEmpty())
        return clock;
    for (const char *format : {"HH:mm:ss", "HHmmss"}) {
        const QTime time = QTime::fromString(text, QLatin1String(format));
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

} // namespace

void PrinterModel::printDayTotals(const DayTotals &t) {
    paper.print(row(QStringLiteral("Cupones fiscales"), QString::number(t.sales)));
    paper.print(row(QStringLiteral("Ventas"), money(t.salesCents)));
    paper.print(row(QStringLiteral("IVA ventas"), money(t.salesTaxCents)));
    paper.print(row(QStringLiteral("Descuentos"), money(t.discountCents)));
    paper.print(row(QStringLiteral("Recargos"), money(t.surchargeCents)));
    paper.print(row(QStringLiteral("Notas de crédito"), QString::number(t.creditNotes)));
    paper.print(row(QStringLiteral("Total notas de crédito"), money(t.creditCents)));
    paper.print(row(QStringLiteral("IVA notas de crédito"), money(t.creditTaxCents)));
    paper.print(row(QStringLiteral("Documentos anulados"), QString::number(t.cancelled)));
    paper.print(row(QStringLiteral("Último documento"), digits(m.documents, 6)));
}

Outcome PrinterModel::readingX() {
    if (m.document)
        return Outcome::notExecuted(Status::DocumentOpen);
    m.xReadings += 1;
    paper.rule();
    paper.print(QStringLiteral("LECTURA X"));
    paper.print(now.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) + QStringLiteral("  ") +
                m.serial);
    paper.rule(QLatin1Char('-'));
    printDayTotals(m.day);
    paper.rule();
    return Outcome::done();
}

Outcome PrinterModel::reductionZ(const QString &date, const QString &time) {
    if (m.document)
        return Outcome::notExecuted(Status::DocumentOpen);
    const auto day = reportDate(date, now.date());
    const auto hour = reportTime(time, now.time());
    if (!day || !hour)
        return Outcome::invalid();
    m.reductions += 1;
    const QDateTime when(*day, *hour);
    paper.rule();
    paper.print(QStringLiteral("REDUCCIÓN Z N° ") + digits(m.reductions, 4));
    paper.print(when.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) + QStringLiteral("  ") +
                m.serial);
    paper.rule(QLatin1Char('-'));
    printDayTotals(m.day);
    paper.rule();
    m.lastReduction = Reduction{m.reductions, when, m.documents, m.day};
    m.day = DayTotals{};
    return Outcome::done();
}

Outcome PrinterModel::openDrawer() {
    m.drawerOpenings += 1;
    paper.print(QStringLiteral("GAVETA ABIERTA"));
    return Outcome::done(m.document ? Status::DocumentOpen : 0);
}

Outcome PrinterModel::answer(const QString &text) const {
    return Outcome::answered(text, m.document ? Status::DocumentOpen : 0);
}

Outcome PrinterModel::documentCounter() const {
    return answer(digits(m.documents, 6));
}

Outcome PrinterModel::reductionCounter() const {
    return answer(digits(m.reductions, 6));
}

Outcome PrinterModel::interventionCounter() const {
    return answer(digits(m.interventions, 6));
}

Outcome PrinterModel::serialNumber() const {
    return answer(m.serial);
}

// Number, date, time, last document, sales, sales tax, credit notes, credit-note tax,
// cancelled documents.
Outcome PrinterModel::lastReductionData() const {
    const Reduction r = m.lastReduction.value_or(Reduction{});
    const QStringList fields = {
        digits(r.number, 4),
        r.when.isValid() ? r.when.toString(QStringLiteral("ddMMyy")) : QStringLiteral("000000"),
        r.when.isValid() ? r.when.toString(QStringLiteral("HHmmss")) : QStringLiteral("000000"),
        digits(r.lastDocument, 6),
        money(r.totals.salesCents),
        money(r.totals.salesTaxCents),
        money(r.totals.creditCents),
        money(r.totals.creditTaxCents),
        QString::number(r.totals.cancelled)};
    return answer(fields.join(QLatin1Char(',')));
}

// X readings, drawer openings, documents cancelled since the last Z.
Outcome PrinterModel::nonFiscalCounters() const {
    return answer(digits(m.xReadings, 4) + QLatin1Char(',') + digits(m.drawerOpenings, 4) +
                  QLatin1Char(',') + digits(m.day.cancelled, 4));
}

Outcome PrinterModel::ownerReplacements() const {
    return answer(digits(m.ownerReplacements, 4));
}

// The previous call and the status it left.
Outcome PrinterModel::lastAnswer() const {
    return answer(m.lastCall + QLatin1Char(',') + QString::number(m.last.ack) + QLatin1Char(',') +
                  QString::number(m.last.st1) + QLatin1Char(',') + QString::number(m.last.st2));
}

Outcome PrinterModel::lastStatus() const {
    return {Status::Done, m.last, {}};
}
