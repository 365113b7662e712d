#include "PrinterModel.h"

#include "Arguments.h"
#include "core/Cp1252.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Receipt {

std::string ansi(const char *utf8) {
    return robot::cp1252::fromUtf8(utf8);
}

std::string money(std::int64_t cents) {
    const std::int64_t magnitude = cents < 0 ? -cents : cents;
    return (cents < 0 ? "-" : "") + std::to_string(magnitude / 100) + '.' +
           digits(magnitude % 100, 2);
}

std::string digits(long long value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld", width, value);
    return text;
}

std::string leftJustified(const std::string &text, std::size_t width) {
    return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
}

std::string row(const std::string &label, const std::string &value) {
    const std::size_t used = value.size() + 1;
    return leftJustified(label, used < PaperRoll::Width ? PaperRoll::Width - used : 0) + ' ' +
           value;
}

std::string stamp(const DateTime &w) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", w.day, w.month, w.year,
                  w.hour, w.minute, w.second);
    return text;
}

bool isValidDate(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

} // namespace Receipt

using Receipt::ansi;
using Receipt::digits;
using Receipt::leftJustified;
using Receipt::money;
using Receipt::row;
using Receipt::stamp;

namespace {

constexpr int kMaxDescription = 29;
constexpr int kMaxCode = 13;
constexpr int kMaxName = 40;
constexpr int kMaxRif = 18;
constexpr int kMaxForm = 16;
constexpr int kMaxInvoice = 20;
// Eight integer digits: the station splits larger prices into several item lines.
constexpr std::int64_t kMaxUnitMilli = 99'999'999'999;

Document newDocument(DocumentKind kind, int number) {
    Document document;
    document.kind = kind;
    document.number = number;
    return document;
}

bool blank(const std::string &text) {
    return std::all_of(text.begin(), text.end(), [](char ch) {
        return ch == ' ' || (ch >= '\t' && ch <= '\r') || ch == '\xA0';
    });
}

// Up to three decimals, trailing zeros dropped; by hand, as printf follows the host's locale.
std::string quantityText(double quantity) {
    const long long milli = std::llround(quantity * 1000);
    std::string text = std::to_string(milli / 1000) + '.' + digits(milli % 1000, 3);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::string unitPriceText(std::int64_t milli) {
    return milli % 10 == 0 ? money(milli / 10)
                           : std::to_string(milli / 1000) + '.' + digits(milli % 1000, 3);
}

} // namespace

Outcome PrinterModel::openSale(const std::string &rif, const std::string &name,
                               const std::string &address) {
    if (m.document)
        return Outcome::refused(Status::DocumentOpen, 0);
    if (blank(rif) || blank(name) || blank(address))
        return Outcome::missing();
    if (rif.size() > kMaxRif || name.size() > kMaxName || address.size() > kMaxName)
        return Outcome::invalid();

    m.document = newDocument(DocumentKind::Sale, m.documents + 1);
    numberIfAtOpening();
    paper.rule();
    paper.print(ansi("CUPÓN FISCAL") + numberAtOpening());
    paper.print("RIF: " + rif);
    paper.print("Nombre: " + name);
    paper.print(ansi("Dirección: ") + address);
    paper.print(stamp(now) + "  " + m.serial);
    paper.rule('-');
    return Outcome::done();
}

Outcome PrinterModel::openCreditNote(const std::array<std::string, 10> &t) {
    if (m.document)
        return Outcome::refused(Status::DocumentOpen, 0);
    // 0 name, 1 address, 2 RIF, 3-5 day, month, year and 6-8 hour, minute, second of the
    // credited invoice, 9 its number.
    for (const int mandatory : {0, 2, 3, 4, 5, 6, 7, 8, 9})
        if (blank(t[mandatory]))
            return Outcome::missing();
    if (t[0].size() > kMaxName || t[1].size() > kMaxName || t[2].size() > kMaxRif ||
        t[9].size() > kMaxInvoice)
        return Outcome::invalid();
    std::array<int, 6> when{};
    for (int i = 0; i < 6; ++i) {
        const auto value = Arguments::twoDigits(t[3 + i]);
        if (!value)
            return Outcome::invalid();
        when[i] = *value;
    }
    if (!Receipt::isValidDate(2000 + when[2], when[1], when[0]) || when[3] > 23 || when[4] > 59 ||
        when[5] > 59)
        return Outcome::invalid();

    m.document = newDocument(DocumentKind::CreditNote, m.documents + 1);
    numberIfAtOpening();
    paper.rule();
    paper.print(ansi("NOTA DE CRÉDITO") + numberAtOpening());
    paper.print("Nombre: " + t[0]);
    if (!blank(t[1]))
        paper.print(ansi("Dirección: ") + t[1]);
    paper.print("RIF: " + t[2]);
    paper.print("Fecha: " + digits(when[0], 2) + '/' + digits(when[1], 2) + '/' +
                digits(when[2], 2) + ' ' + digits(when[3], 2) + ':' + digits(when[4], 2) + ':' +
                digits(when[5], 2));
    paper.print("Factura: " + t[9]);
    paper.print(stamp(now) + "  " + m.serial);
    paper.rule('-');
    return Outcome::done();
}

Outcome PrinterModel::sellItem(const ItemRequest &r) {
    if (!m.document || m.document->stage != DocumentStage::Items)
        return Outcome::notExecuted();
    if (blank(r.description) || r.taxCode.empty() || r.quantityType.empty() || r.quantity.empty() ||
        r.unitPrice.empty() || r.discountType.empty())
        return Outcome::missing();
    if (r.code.size() > kMaxCode || r.description.size() > kMaxDescription ||
        !Arguments::isTaxCode(r.taxCode) || (r.decimals != 2 && r.decimals != 3) ||
        (r.discountType != "$" && r.discountType != "%"))
        return Outcome::invalid();
    const auto quantity = Arguments::quantity(r.quantityType, r.quantity);
    const auto price = Arguments::amount(r.unitPrice, r.decimals);
    const auto discount = Arguments::impliedCents(r.discount);
    if (!quantity || !price || !discount)
        return Outcome::invalid();
    const std::int64_t unitMilli = r.decimals == 2 ? *price * 10 : *price;
    if (unitMilli > kMaxUnitMilli)
        return Outcome::invalid();

    const std::int64_t gross = std::llround(*quantity * double(unitMilli) / 10.0);
    std::int64_t discountCents = *discount;
    if (r.discountType == "%") {
        if (*discount > 10000) // the percentage has two implied decimals
            return Outcome::invalid();
        discountCents = std::llround(double(gross) * double(*discount) / 10000.0);
    }
    if (discountCents > gross)
        return Outcome::invalid();

    Item item;
    item.taxCode = r.taxCode;
    item.amountCents = gross - discountCents;
    item.taxCents =
        std::llround(double(item.amountCents) * Arguments::taxRate(r.taxCode) / 10000.0);
    m.document->items.push_back(item);

    std::string line = leftJustified(r.description, kMaxDescription) + ' ' +
                       quantityText(*quantity) + " x " + unitPriceText(unitMilli) + " (" +
                       r.taxCode + ") " + money(item.amountCents);
    if (discountCents > 0)
        line += " desc -" + money(discountCents);
    paper.print(line);
    return Outcome::done();
}

Outcome PrinterModel::startClosing(const std::string &kind, const std::string &type,
                                   const std::string &value) {
    if (!m.document || m.document->stage != DocumentStage::Items)
        return Outcome::notExecuted();
    if (kind.empty() || type.empty() || value.empty())
        return Outcome::missing();
    const bool discount = kind == "D";
    const bool percent = type == "%";
    const auto amount = Arguments::amount(value, 2);
    if ((!discount && kind != "A") || (!percent && type != "$") || !amount ||
        (percent && *amount > 10000))
        return Outcome::invalid();
    const std::int64_t subtotal = m.document->subtotalCents();
    const std::int64_t adjustment =
        percent ? std::llround(double(subtotal) * double(*amount) / 10000.0) : *amount;
    if (discount && adjustment > subtotal)
        return Outcome::invalid();

    Document &doc = *m.document;
    doc.adjustmentCents = discount ? -adjustment : adjustment;
    doc.stage = DocumentStage::Closing;
    paper.rule('-');
    paper.print(row("SUBTOTAL", money(subtotal)));
    if (adjustment != 0)
        paper.print(row(discount ? "DESCUENTO" : "RECARGO", money(doc.adjustmentCents)));
    std::vector<std::string> codes;
    for (const Item &item : doc.items)
        if (std::find(codes.begin(), codes.end(), item.taxCode) == codes.end())
            codes.push_back(item.taxCode);
    for (const std::string &code : codes) {
        std::int64_t base = 0;
        std::int64_t tax = 0;
        for (const Item &item : doc.items)
            if (item.taxCode == code) {
                base += item.amountCents;
                tax += item.taxCents;
            }
        const int rate = Arguments::taxRate(code);
        if (rate == 0 && !(code[0] >= '0' && code[0] <= '9'))
            paper.print(row("EXENTO (" + code + ')', money(base)));
        else
            paper.print(row("BI " + money(rate) + "% " + money(base) + " IVA", money(tax)));
    }
    paper.print(row("TOTAL", money(doc.totalCents())));
    return Outcome::done();
}

Outcome PrinterModel::pay(const std::string &form, const std::string &value) {
    if (!m.document || m.document->kind != DocumentKind::Sale ||
        m.document->stage != DocumentStage::Closing)
        return Outcome::notExecuted();
    if (blank(form) || value.empty())
        return Outcome::missing();
    const auto amount = Arguments::amount(value, 2);
    if (form.size() > kMaxForm || !amount)
        return Outcome::invalid();
    m.document->payments.push_back({form, *amount});
    paper.print(row(form, money(*amount)));
    return Outcome::done();
}

Outcome PrinterModel::finishSale(const std::string &message) {
    if (!m.document || m.document->kind != DocumentKind::Sale ||
        m.document->stage != DocumentStage::Closing || m.document->payments.empty())
        return Outcome::notExecuted();
    const Document &doc = *m.document;
    // The station rounds its own total once; the printer rounds every line.
    const std::int64_t tolerance = doc.items.size();
    if (doc.paidCents() < doc.totalCents() - tolerance)
        return Outcome::notExecuted();

    if (doc.paidCents() > doc.totalCents())
        paper.print(row("CAMBIO", money(doc.paidCents() - doc.totalCents())));
    if (!message.empty())
        paper.printText(message);
    m.day.sales += 1;
    m.day.salesCents += doc.totalCents();
    m.day.salesTaxCents += doc.taxCents();
    completeDocument(ansi("CUPÓN FISCAL N° ") + digits(doc.number, 6) + " CERRADO");
    return Outcome::done();
}

Outcome PrinterModel::closeCreditNote(const std::string &form, const std::string &message) {
    if (!m.document || m.document->kind != DocumentKind::CreditNote ||
        m.document->stage != DocumentStage::Closing)
        return Outcome::notExecuted();
    if (blank(form))
        return Outcome::missing();
    if (form.size() > kMaxForm)
        return Outcome::invalid();
    const Document &doc = *m.document;
    paper.print(row(form, money(doc.totalCents())));
    if (!message.empty())
        paper.printText(message);
    m.day.creditNotes += 1;
    m.day.creditCents += doc.totalCents();
    m.day.creditTaxCents += doc.taxCents();
    completeDocument(ansi("NOTA DE CRÉDITO N° ") + digits(doc.number, 6) + " CERRADA");
    return Outcome::done();
}

void PrinterModel::numberIfAtOpening() {
    if (m.numbersAtOpening)
        m.documents = m.document->number;
}

std::string PrinterModel::numberAtOpening() const {
    return m.numbersAtOpening ? ansi(" N° ") + digits(m.document->number, 6) : std::string();
}

void PrinterModel::completeDocument(const std::string &closedMarker) {
    const Document &doc = *m.document;
    if (doc.adjustmentCents < 0)
        m.day.discountCents -= doc.adjustmentCents;
    else
        m.day.surchargeCents += doc.adjustmentCents;
    m.documents = doc.number;
    paper.print(closedMarker);
    paper.rule();
    m.document.reset();
}

Outcome PrinterModel::cancel() {
    if (!m.document)
        return Outcome::refused(0, Status::CancelNotAllowed);
    m.day.cancelled += 1;
    paper.print(m.numbersAtOpening
                    ? ansi("DOCUMENTO N° ") + digits(m.document->number, 6) + " ANULADO"
                    : ansi("DOCUMENTO ANULADO, SIN NÚMERO"));
    paper.rule();
    m.document.reset();
    return Outcome::done();
}
