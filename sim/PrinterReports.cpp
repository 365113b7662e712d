#include "PrinterModel.h"

#include <optional>

using Receipt::ansi;
using Receipt::digits;
using Receipt::money;
using Receipt::row;
using Receipt::stamp;

namespace {

bool allDigits(const std::string &text) {
    for (const char ch : text)
        if (ch < '0' || ch > '9')
            return false;
    return true;
}

// Two-digit fields, with or without the given separator between them ("dd/MM/yy" or
// "ddMMyy", "HH:mm:ss" or "HHmmss").
std::optional<std::array<int, 3>> threeFields(const std::string &text, char separator) {
    std::string packed = text;
    if (text.size() == 8 && text[2] == separator && text[5] == separator)
        packed = text.substr(0, 2) + text.substr(3, 2) + text.substr(6, 2);
    if (packed.size() != 6 || !allDigits(packed))
        return std::nullopt;
    return std::array<int, 3>{std::stoi(packed.substr(0, 2)), std::stoi(packed.substr(2, 2)),
                              std::stoi(packed.substr(4, 2))};
}

bool blank(const std::string &text) {
    return text.find_first_not_of(" \t\n\v\f\r\xA0") == std::string::npos;
}

// The date and time a Z report may be given: empty for the printer's clock. Two-digit years
// read as 19yy first, as the printer's firmware does, and then move to 20yy.
bool reportWhen(const std::string &date, const std::string &time, DateTime &when) {
    if (!blank(date)) {
        const auto d = threeFields(date, '/');
        if (!d || !Receipt::isValidDate(1900 + (*d)[2], (*d)[1], (*d)[0]))
            return false;
        when.year = 2000 + (*d)[2];
        when.month = (*d)[1];
        when.day = (*d)[0];
    }
    if (!blank(time)) {
        const auto t = threeFields(time, ':');
        if (!t || (*t)[0] > 23 || (*t)[1] > 59 || (*t)[2] > 59)
            return false;
        when.hour = (*t)[0];
        when.minute = (*t)[1];
        when.second = (*t)[2];
    }
    return true;
}

} // namespace

void PrinterModel::printDayTotals(const DayTotals &t) {
    paper.print(row("Cupones fiscales", std::to_string(t.sales)));
    paper.print(row("Ventas", money(t.salesCents)));
    paper.print(row("IVA ventas", money(t.salesTaxCents)));
    paper.print(row("Descuentos", money(t.discountCents)));
    paper.print(row("Recargos", money(t.surchargeCents)));
    paper.print(row(ansi("Notas de crédito"), std::to_string(t.creditNotes)));
    paper.print(row(ansi("Total notas de crédito"), money(t.creditCents)));
    paper.print(row(ansi("IVA notas de crédito"), money(t.creditTaxCents)));
    paper.print(row("Documentos anulados", std::to_string(t.cancelled)));
    paper.print(row(ansi("Último documento"), digits(m.documents, 6)));
}

Outcome PrinterModel::readingX() {
    if (m.document)
        return Outcome::notExecuted(Status::DocumentOpen);
    m.xReadings += 1;
    paper.rule();
    paper.print("LECTURA X");
    paper.print(stamp(now) + "  " + m.serial);
    paper.rule('-');
    printDayTotals(m.day);
    paper.rule();
    return Outcome::done();
}

Outcome PrinterModel::reductionZ(const std::string &date, const std::string &time) {
    if (m.document)
        return Outcome::notExecuted(Status::DocumentOpen);
    DateTime when = now;
    if (!reportWhen(date, time, when))
        return Outcome::invalid();
    m.reductions += 1;
    paper.rule();
    paper.print(ansi("REDUCCIÓN Z N° ") + digits(m.reductions, 4));
    paper.print(stamp(when) + "  " + m.serial);
    paper.rule('-');
    printDayTotals(m.day);
    paper.rule();
    m.lastReduction = Reduction{m.reductions, when, m.documents, m.day};
    m.day = DayTotals{};
    return Outcome::done();
}

Outcome PrinterModel::openDrawer() {
    m.drawerOpenings += 1;
    paper.print("GAVETA ABIERTA");
    return Outcome::done(m.document ? Status::DocumentOpen : 0);
}

Outcome PrinterModel::answer(const std::string &text) const {
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
    const DateTime &w = r.when;
    const bool dated = w.isValid();
    return answer(
        digits(r.number, 4) + ',' +
        (dated ? digits(w.day, 2) + digits(w.month, 2) + digits(w.year % 100, 2) : "000000") + ',' +
        (dated ? digits(w.hour, 2) + digits(w.minute, 2) + digits(w.second, 2) : "000000") + ',' +
        digits(r.lastDocument, 6) + ',' + money(r.totals.salesCents) + ',' +
        money(r.totals.salesTaxCents) + ',' + money(r.totals.creditCents) + ',' +
        money(r.totals.creditTaxCents) + ',' + std::to_string(r.totals.cancelled));
}

// X readings, drawer openings, documents cancelled since the last Z.
Outcome PrinterModel::nonFiscalCounters() const {
    return answer(digits(m.xReadings, 4) + ',' + digits(m.drawerOpenings, 4) + ',' +
                  digits(m.day.cancelled, 4));
}

Outcome PrinterModel::ownerReplacements() const {
    return answer(digits(m.ownerReplacements, 4));
}

// The previous call and the status it left.
Outcome PrinterModel::lastAnswer() const {
    return answer(m.lastCall + ',' + std::to_string(m.last.ack) + ',' + std::to_string(m.last.st1) +
                  ',' + std::to_string(m.last.st2));
}

Outcome PrinterModel::lastStatus() const {
    return {Status::Done, m.last, {}};
}
