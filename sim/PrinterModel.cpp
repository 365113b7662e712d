#include "PrinterModel.h"

#include "Arguments.h"

#include <QDate>
#include <QTime>
#include <cmath>

namespace Receipt {

QString money(qint64 cents) {
    const qint64 magnitude = cents < 0 ? -cents : cents;
    return (cents < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 100) +
           QLatin1Char('.') + digits(int(magnitude % 100), 2);
}

QString digits(int value, int width) {
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

QString row(const QString &label, const QString &value) {
    return label.leftJustified(PaperRoll::Width - value.size() - 1) + QLatin1Char(' ') + value;
}

} // namespace Receipt

using Receipt::digits;
using Receipt::money;
using Receipt::row;

namespace {

constexpr int kMaxDescription = 29;
constexpr int kMaxCode = 13;
constexpr int kMaxName = 40;
constexpr int kMaxRif = 18;
constexpr int kMaxForm = 16;
constexpr int kMaxInvoice = 20;
// Eight integer digits: the station splits larger prices into several item lines.
constexpr qint64 kMaxUnitMilli = 99'999'999'999;

Document newDocument(DocumentKind kind, int number) {
    Document document;
    document.kind = kind;
    document.number = number;
    return document;
}

bool blank(const QString &text) {
    return text.trimmed().isEmpty();
}

QString quantityText(double quantity) {
    QString text = QString::number(quantity, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString unitPriceText(qint64 milli) {
    return milli % 10 == 0
               ? money(milli / 10)
               : QString::number(milli / 1000) + QLatin1Char('.') + digits(int(milli % 1000), 3);
}

} // namespace

Outcome PrinterModel::openSale(const QString &rif, const QString &name, const QString &address) {
    if (m.document)
        return Outcome::refused(Status::DocumentOpen, 0);
    if (blank(rif) || blank(name) || blank(address))
        return Outcome::missing();
    if (rif.size() > kMaxRif || name.size() > kMaxName || address.size() > kMaxName)
        return Outcome::invalid();

    m.document = newDocument(DocumentKind::Sale, m.documents + 1);
    paper.rule();
    paper.print(QStringLiteral("CUPÓN FISCAL N° ") + digits(m.document->number, 6));
    paper.print(QStringLiteral("RIF: ") + rif);
    paper.print(QStringLiteral("Nombre: ") + name);
    paper.print(QStringLiteral("Dirección: ") + address);
    paper.print(now.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) + QStringLiteral("  ") +
                m.serial);
    paper.rule(QLatin1Char('-'));
    return Outcome::done();
}

Outcome PrinterModel::openCreditNote(const std::array<QString, 10> &t) {
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
    const QDate date(2000 + when[2], when[1], when[0]);
    const QTime time(when[3], when[4], when[5]);
    if (!date.isValid() || !time.isValid())
        return Outcome::invalid();

    m.document = newDocument(DocumentKind::CreditNote, m.documents + 1);
    paper.rule();
    paper.print(QStringLiteral("NOTA DE CRÉDITO N° ") + digits(m.document->number, 6));
    paper.print(QStringLiteral("Nombre: ") + t[0]);
    if (!blank(t[1]))
        paper.print(QStringLiteral("Dirección: ") + t[1]);
    paper.print(QStringLiteral("RIF: ") + t[2]);
    paper.print(QStringLiteral("Fecha: ") + date.toString(QStringLiteral("dd/MM/yy")) +
                QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm:ss")));
    paper.print(QStringLiteral("Factura: ") + t[9]);
    paper.print(now.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) + QStringLiteral("  ") +
                m.serial);
    paper.rule(QLatin1Char('-'));
    return Outcome::done();
}

Outcome PrinterModel::sellItem(const ItemRequest &r) {
    if (!m.document || m.document->stage != DocumentStage::Items)
        return Outcome::notExecuted();
    if (blank(r.description) || r.taxCode.isEmpty() || r.quantityType.isEmpty() ||
        r.quantity.isEmpty() || r.unitPrice.isEmpty() || r.discountType.isEmpty())
        return Outcome::missing();
    if (r.code.size() > kMaxCode || r.description.size() > kMaxDescription ||
        !Arguments::isTaxCode(r.taxCode) || (r.decimals != 2 && r.decimals != 3) ||
        (r.discountType != QLatin1String("$") && r.discountType != QLatin1String("%")))
        return Outcome::invalid();
    const auto quantity = Arguments::quantity(r.quantityType, r.quantity);
    const auto price = Arguments::amount(r.unitPrice, r.decimals);
    const auto discount = Arguments::impliedCents(r.discount);
    if (!quantity || !price || !discount)
        return Outcome::invalid();
    const qint64 unitMilli = r.decimals == 2 ? *price * 10 : *price;
    if (unitMilli > kMaxUnitMilli)
        return Outcome::invalid();

    const qint64 gross = std::llround(*quantity * double(unitMilli) / 10.0);
    qint64 discountCents = *discount;
    if (r.discountType == QLatin1String("%")) {
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
    m.document->items.append(item);

    QString line = r.description.leftJustified(kMaxDescription) + QLatin1Char(' ') +
                   quantityText(*quantity) + QStringLiteral(" x ") + unitPriceText(unitMilli) +
                   QStringLiteral(" (") + r.taxCode + QStringLiteral(") ") +
                   money(item.amountCents);
    if (discountCents > 0)
        line += QStringLiteral(" desc -") + money(discountCents);
    paper.print(line);
    return Outcome::done();
}

Outcome PrinterModel::startClosing(const QString &kind, const QString &type, const QString &value) {
    if (!m.document || m.document->stage != DocumentStage::Items)
        return Outcome::notExecuted();
    if (kind.isEmpty() || type.isEmpty() || value.isEmpty())
        return Outcome::missing();
    const bool discount = kind == QLatin1String("D");
    const bool percent = type == QLatin1String("%");
    const auto amount = Arguments::amount(value, 2);
    if ((!discount && kind != QLatin1String("A")) || (!percent && type != QLatin1String("$")) ||
        !amount || (percent && *amount > 10000))
        return Outcome::invalid();
    const qint64 subtotal = m.document->subtotalCents();
    const qint64 adjustment =
        percent ? std::llround(double(subtotal) * double(*amount) / 10000.0) : *amount;
    if (discount && adjustment > subtotal)
        return Outcome::invalid();

    Document &doc = *m.document;
    doc.adjustmentCents = discount ? -adjustment : adjustment;
    doc.stage = DocumentStage::Closing;
    paper.rule(QLatin1Char('-'));
    paper.print(row(QStringLiteral("SUBTOTAL"), money(subtotal)));
    if (adjustment != 0)
        paper.print(row(discount ? QStringLiteral("DESCUENTO") : QStringLiteral("RECARGO"),
                        money(doc.adjustmentCents)));
    QStringList codes;
    for (const Item &item : doc.items)
        if (!codes.contains(item.taxCode))
            codes.append(item.taxCode);
    for (const QString &code : codes) {
        qint64 base = 0;
        qint64 tax = 0;
        for (const Item &item : doc.items)
            if (item.taxCode == code) {
                base += item.amountCents;
                tax += item.taxCents;
            }
        const int rate = Arguments::taxRate(code);
        if (rate == 0 && !code.at(0).isDigit())
            paper.print(row(QStringLiteral("EXENTO (") + code + QLatin1Char(')'), money(base)));
        else
            paper.print(row(QStringLiteral("BI ") + money(rate) + QStringLiteral("% ") +
                                money(base) + QStringLiteral(" IVA"),
                            money(tax)));
    }
    paper.print(row(QStringLiteral("TOTAL"), money(doc.totalCents())));
    return Outcome::done();
}

Outcome PrinterModel::pay(const QString &form, const QString &value) {
    if (!m.document || m.document->kind != DocumentKind::Sale ||
        m.document->stage != DocumentStage::Closing)
        return Outcome::notExecuted();
    if (blank(form) || value.isEmpty())
        return Outcome::missing();
    const auto amount = Arguments::amount(value, 2);
    if (form.size() > kMaxForm || !amount)
        return Outcome::invalid();
    m.document->payments.append({form, *amount});
    paper.print(row(form, money(*amount)));
    return Outcome::done();
}

Outcome PrinterModel::finishSale(const QString &message) {
    if (!m.document || m.document->kind != DocumentKind::Sale ||
        m.document->stage != DocumentStage::Closing || m.document->payments.isEmpty())
        return Outcome::notExecuted();
    const Document &doc = *m.document;
    // The station rounds its own total once; the printer rounds every line.
    const qint64 tolerance = doc.items.size();
    if (doc.paidCents() < doc.totalCents() - tolerance)
        return Outcome::notExecuted();

    if (doc.paidCents() > doc.totalCents())
        paper.print(row(QStringLiteral("CAMBIO"), money(doc.paidCents() - doc.totalCents())));
    if (!message.isEmpty())
        paper.printText(message);
    m.day.sales += 1;
    m.day.salesCents += doc.totalCents();
    m.day.salesTaxCents += doc.taxCents();
    completeDocument(QStringLiteral("CUPÓN FISCAL N° ") + digits(doc.number, 6) +
                     QStringLiteral(" CERRADO"));
    return Outcome::done();
}

Outcome PrinterModel::closeCreditNote(const QString &form, const QString &message) {
    if (!m.document || m.document->kind != DocumentKind::CreditNote ||
        m.document->stage != DocumentStage::Closing)
        return Outcome::notExecuted();
    if (blank(form))
        return Outcome::missing();
    if (form.size() > kMaxForm)
        return Outcome::invalid();
    const Document &doc = *m.document;
    paper.print(row(form, money(doc.totalCents())));
    if (!message.isEmpty())
        paper.printText(message);
    m.day.creditNotes += 1;
    m.day.creditCents += doc.totalCents();
    m.day.creditTaxCents += doc.taxCents();
    completeDocument(QStringLiteral("NOTA DE CRÉDITO N° ") + digits(doc.number, 6) +
                     QStringLiteral(" CERRADA"));
    return Outcome::done();
}

void PrinterModel::completeDocument(const QString &closedMarker) {
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
    paper.print(QStringLiteral("DOCUMENTO N° ") + digits(m.document->number, 6) +
                QStringLiteral(" ANULADO"));
    paper.rule();
    m.document.reset();
    return Outcome::done();
}
