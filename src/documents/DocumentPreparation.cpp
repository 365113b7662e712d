#include "documents/DocumentPreparation.h"

#include "documents/TextFormat.h"

#include <cmath>

namespace robot {

namespace {

// Reads the fields of one record at one stage; the first field that cannot be used is kept as
// the failure and every later read is ignored.
class FieldReader {
public:
    FieldReader(const Row &row, double stage, std::optional<StageFailure> &failure)
        : row(row), stage(stage), failure(failure) {}

    // A text the document cannot do without.
    QString text(const QString &field) {
        if (!failure && (!row.has(field) || row.isNull(field)))
            failure = StageFailure{stage, field};
        return failure ? QString() : blankControls(row.text(field));
    }
    // A value the printer would refuse with the document already open on it: stopped here,
    // naming the field, its value and the rule it breaks.
    void require(bool acceptable, const QString &field, const QString &rule) {
        if (!failure && !acceptable)
            failure = StageFailure{stage, QStringLiteral("El campo %1 tiene un valor que la "
                                                         "impresora no acepta («%2»): %3. "
                                                         "Corríjalo en la administración.")
                                              .arg(field, row.text(field), rule)};
    }
    // A number; a NULL gives `ifNull` when one is allowed.
    double number(const QString &field, std::optional<double> ifNull = std::nullopt) {
        if (failure)
            return 0;
        const Row::Number n = row.number(field);
        switch (n.kind) {
        case Row::Number::Kind::Valid:
            if (std::fabs(n.value) < kLargestAmount)
                return n.value;
            failure = StageFailure{stage, QStringLiteral("El campo %1 tiene un valor que ningún "
                                                         "recibo puede llevar (%2).")
                                              .arg(field, row.text(field))};
            return 0;
        case Row::Number::Kind::Null:
            if (ifNull)
                return *ifNull;
            break;
        case Row::Number::Kind::Absent:
            break;
        case Row::Number::Kind::NotANumber:
            failure = StageFailure{stage, QStringLiteral("El campo %1 no contiene un número "
                                                         "válido («%2»).")
                                              .arg(field, row.text(field))};
            return 0;
        }
        failure = StageFailure{stage, field};
        return 0;
    }
    // The pieces a price is sent in.
    QList<double> pieces(double price) {
        if (failure)
            return {};
        const std::optional<QList<double>> split = splitPrice(price);
        if (!split)
            failure = StageFailure{stage, QStringLiteral("El precio %1 no cabe en un recibo: "
                                                         "necesitaría más de %2 líneas.")
                                              .arg(formatAmount(price))
                                              .arg(kMostPiecesPerPrice)};
        return split.value_or(QList<double>{});
    }
    void setStage(double s) { stage = s; }

private:
    const Row &row;
    double stage;
    std::optional<StageFailure> &failure;
};

// The four-digit code of a tax rate given as a fraction: 0.12 gives "1200".
QString rateCode(double rate) {
    double percent = rate * 100;
    return zeroPad(Cifras(percent, 2, 2).toLongLong(), 4);
}

const QString kRateRule = QStringLiteral("la tasa de impuesto va como fracción, de 0 a menos de 1 "
                                         "(0.12 para el 12 %)");
const QString kQuantityRule = QStringLiteral("la cantidad debe ser mayor que 0");
const QString kPriceRule = QStringLiteral("el precio no puede ser negativo");

QString quantityField(qint16 mode) {
    return mode == 1 ? QStringLiteral("Cantidad") : QStringLiteral("CantDec");
}

ItemLine creditItem(const QString &codigo, const QString &descripcion, const QString &alicuota,
                    const QString &cantidad) {
    return {codigo,
            descripcion,
            alicuota,
            QStringLiteral("I"),
            cantidad,
            2,
            QStringLiteral("%"),
            QStringLiteral("0000")};
}

} // namespace

Result<PreparedInvoice, StageFailure> prepareInvoice(const DocumentRows &rows,
                                                     qint16 quantityMode) {
    PreparedInvoice invoice;
    std::optional<StageFailure> failure;
    const Row &header = rows.header;
    FieldReader h(header, 2, failure);
    invoice.nombre = h.text(QStringLiteral("NombreCliente")).trimmed().left(37);
    invoice.rif = h.text(QStringLiteral("RIF")).trimmed();
    const double rate = h.number(QStringLiteral("PorcentImpuesto"));
    h.require(rate >= 0 && rate < 1, QStringLiteral("PorcentImpuesto"), kRateRule);
    invoice.discount = h.number(QStringLiteral("Descuento01")) +
                       h.number(QStringLiteral("Descuento02")) +
                       h.number(QStringLiteral("Descuento03"));
    const double medioPago = h.number(QStringLiteral("MedioPago"), 0.0);
    if (failure)
        return *failure;
    const QString direccion = QStringLiteral("Dirección");
    invoice.direccion = header.isNull(direccion)
                            ? QStringLiteral("-")
                            : blankControls(header.text(direccion)).trimmed().left(37);
    const bool plantilla = header.yesNo(QStringLiteral("PlantillaAuxiliar")).value_or(false);
    invoice.formaPago =
        medioPago == 0.0 ? QStringLiteral("Efectivo") : QStringLiteral("Electronico");

    const QString code = rateCode(rate);
    const QString quantity = quantityField(quantityMode);
    for (const Row &record : rows.lines) {
        FieldReader line(record, 4, failure);
        const bool useSpec = plantilla && !record.isNull(QStringLiteral("Especificación"));
        const double amount = line.number(quantity);
        line.require(amount > 0, quantity, kQuantityRule);
        const double price = line.number(QStringLiteral("Precio"));
        line.require(price >= 0, QStringLiteral("Precio"), kPriceRule);
        const QString description =
            line.text(useSpec ? QStringLiteral("Especificación") : QStringLiteral("Nombre"))
                .left(29)
                .trimmed();
        const QList<double> pieces = line.pieces(price);
        if (failure)
            return *failure;
        const bool exempt = record.yesNo(QStringLiteral("ExcentoImpuesto")) == true;
        invoice.total += amount * price;
        // A line with no exemption flag is sent taxed, so its tax is paid too: a payment short
        // of the coupon's total would leave the coupon unclosed.
        if (!exempt)
            invoice.total += price * amount * rate;
        QString cleaned = description;
        invoice.lines.append(
            {{QString(), LimpioCadena(cleaned), exempt ? QStringLiteral("FF") : code,
              QStringLiteral("F"), formatAmount(amount * 10), 2, QStringLiteral("$"),
              QStringLiteral("0,00")},
             pieces,
             false});
    }
    if (!(std::fabs(invoice.total - invoice.discount) < kLargestAmount))
        return StageFailure{4, QStringLiteral("El total de la factura no cabe en un recibo.")};
    return invoice;
}

Result<PreparedCreditNote, StageFailure> prepareCreditNote(const DocumentRows &rows,
                                                           qint16 quantityMode) {
    PreparedCreditNote note;
    std::optional<StageFailure> failure;
    const Row &header = rows.header;
    if (!header.has(QStringLiteral("Dirección")))
        return StageFailure{2.2, QStringLiteral("Dirección")};
    FieldReader h(header, 2.4, failure);
    note.nombre = h.text(QStringLiteral("NombreCliente")).trimmed().left(37);
    note.rif = h.text(QStringLiteral("RIF")).trimmed();
    note.factura = h.text(QStringLiteral("Factura"));
    h.setStage(2.5);
    const double rate = h.number(QStringLiteral("PorcentImpuesto"));
    h.require(rate >= 0 && rate < 1, QStringLiteral("PorcentImpuesto"), kRateRule);
    const double monto = h.number(QStringLiteral("Monto"));
    const double montoExcento = h.number(QStringLiteral("MontoExcento"));
    note.discount = h.number(QStringLiteral("DescuentoFactura"), 0.0);
    if (failure)
        return *failure;
    const QString code = rateCode(rate);

    const QString quantity = quantityField(quantityMode);
    for (const Row &record : rows.lines) {
        // The first line's quantity is read at stage 3, everything else at stage 4.
        FieldReader line(record, note.lines.isEmpty() ? 3 : 4, failure);
        const double amount = line.number(quantity);
        line.require(amount > 0, quantity, kQuantityRule);
        line.setStage(4);
        QString description = line.text(QStringLiteral("Nombre")).left(29).trimmed();
        const double price = line.number(QStringLiteral("Precio"));
        line.require(price >= 0, QStringLiteral("Precio"), kPriceRule);
        const QList<double> pieces = line.pieces(price);
        if (failure)
            return *failure;
        const bool exempt = record.yesNo(QStringLiteral("ExcentoImpuesto")).value_or(false);
        note.lines.append(
            {creditItem(QStringLiteral(" "), LimpioCadena(description),
                        exempt ? QStringLiteral("FF") : code, formatPlainNumber(amount)),
             pieces, true});
    }
    if (!note.lines.isEmpty())
        return note;

    // No printable line record: the credited amounts go as lump sums, read at stage 3.
    FieldReader lump(header, 3, failure);
    // A negative sum would print a credit note for nothing, or one the printer refuses.
    const QString negativeRule = QStringLiteral("una nota de crédito no lleva montos negativos");
    lump.require(monto >= 0, QStringLiteral("Monto"), negativeRule);
    lump.require(montoExcento >= 0, QStringLiteral("MontoExcento"), negativeRule);
    const QString lumpSum = QStringLiteral("Descuento a factura");
    const QString articulo = QStringLiteral("0000");
    const QString one = QStringLiteral("1");
    if (rate > 0) {
        if (monto > 0)
            note.lines.append(
                {creditItem(articulo, lumpSum, code, one), lump.pieces(monto), false});
        if (montoExcento > 0)
            note.lines.append({creditItem(articulo, lumpSum, QStringLiteral("II"), one),
                               lump.pieces(montoExcento), false});
    } else {
        note.lines.append({creditItem(articulo, lumpSum, QStringLiteral("II"), one),
                           lump.pieces(monto + montoExcento), false});
    }
    if (failure)
        return *failure;
    return note;
}

} // namespace robot
