#include "documents/DocumentPreparation.h"

#include "documents/TextFormat.h"

namespace {

QString text(const QSqlRecord &record, const char16_t *field) {
    return record.value(QString::fromUtf16(field)).toString();
}
double number(const QSqlRecord &record, const char16_t *field) {
    return record.value(QString::fromUtf16(field)).toDouble();
}

// The four-digit code of a tax rate given as a fraction: 0.12 gives "1200".
QString rateCode(double rate) {
    double percent = rate * 100;
    return zeroPad(Cifras(percent, 2, 2).toLongLong(), 4);
}

QString quantityField(qint16 mode) {
    return mode == 1 ? QStringLiteral("Cantidad") : QStringLiteral("CantDec");
}

std::optional<MissingField> missing(double stage, const QSqlRecord &record,
                                    const QStringList &fields) {
    const QString field = firstMissingOrNull(record, fields);
    if (field.isEmpty())
        return std::nullopt;
    return MissingField{stage, field};
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

std::optional<MissingField> prepareInvoice(const DocumentRecords &records, qint16 quantityMode,
                                           PreparedInvoice *invoice) {
    const QSqlRecord &header = *records.header;
    if (auto m = missing(2, header,
                         {QStringLiteral("NombreCliente"), QStringLiteral("RIF"),
                          QStringLiteral("PorcentImpuesto"), QStringLiteral("Descuento01"),
                          QStringLiteral("Descuento02"), QStringLiteral("Descuento03")}))
        return m;
    invoice->nombre = text(header, u"NombreCliente").trimmed().left(37);
    invoice->rif = text(header, u"RIF").trimmed();
    const QVariant direccion = header.value(QStringLiteral("Dirección"));
    invoice->direccion =
        direccion.isNull() ? QStringLiteral("-") : direccion.toString().trimmed().left(37);
    const double rate = number(header, u"PorcentImpuesto");
    const bool plantilla = yesNo(header, QStringLiteral("PlantillaAuxiliar")).value_or(false);
    const QVariant medioPago = header.value(QStringLiteral("MedioPago"));
    invoice->formaPago = (medioPago.isNull() || medioPago.toDouble() == 0.0)
                             ? QStringLiteral("Efectivo")
                             : QStringLiteral("Electronico");
    invoice->discount = number(header, u"Descuento01") + number(header, u"Descuento02") +
                        number(header, u"Descuento03");

    const QString code = rateCode(rate);
    const QString quantity = quantityField(quantityMode);
    for (const QSqlRecord &record : records.lines) {
        const bool useSpec = plantilla && !record.value(QStringLiteral("Especificación")).isNull();
        const QString descriptionField =
            useSpec ? QStringLiteral("Especificación") : QStringLiteral("Nombre");
        if (auto m = missing(4, record, {quantity, QStringLiteral("Precio"), descriptionField}))
            return m;
        const double amount = record.value(quantity).toDouble();
        const double price = number(record, u"Precio");
        const std::optional<bool> exempt = yesNo(record, QStringLiteral("ExcentoImpuesto"));
        invoice->total += amount * price;
        // A line with no exemption flag is sent taxed, so its tax is paid too: a payment short
        // of the coupon's total would leave the coupon unclosed.
        if (exempt != true)
            invoice->total += price * amount * rate;
        QString description = record.value(descriptionField).toString().left(29).trimmed();
        invoice->lines.append(
            {{QString(), LimpioCadena(description), exempt == true ? QStringLiteral("FF") : code,
              QStringLiteral("F"), formatAmount(amount * 10), 2, QStringLiteral("$"),
              QStringLiteral("0,00")},
             price,
             false});
    }
    return std::nullopt;
}

std::optional<MissingField> prepareCreditNote(const DocumentRecords &records, qint16 quantityMode,
                                              PreparedCreditNote *note) {
    const QSqlRecord &header = *records.header;
    if (header.indexOf(QStringLiteral("Dirección")) < 0)
        return MissingField{2.2, QStringLiteral("Dirección")};
    if (auto m = missing(
            2.4, header,
            {QStringLiteral("NombreCliente"), QStringLiteral("RIF"), QStringLiteral("Factura")}))
        return m;
    if (auto m = missing(2.5, header,
                         {QStringLiteral("PorcentImpuesto"), QStringLiteral("Monto"),
                          QStringLiteral("MontoExcento")}))
        return m;
    note->nombre = text(header, u"NombreCliente").trimmed().left(37);
    note->rif = text(header, u"RIF").trimmed();
    note->factura = text(header, u"Factura");
    const double rate = number(header, u"PorcentImpuesto");
    const double monto = number(header, u"Monto");
    const double montoExcento = number(header, u"MontoExcento");
    note->discount = number(header, u"DescuentoFactura"); // NULL reads as 0
    const QString code = rateCode(rate);

    const QString quantity = quantityField(quantityMode);
    for (const QSqlRecord &record : records.lines) {
        // The first line's quantity is read at stage 3, everything else at stage 4.
        if (auto m = missing(note->lines.isEmpty() ? 3 : 4, record, {quantity}))
            return m;
        if (auto m = missing(4, record, {QStringLiteral("Nombre"), QStringLiteral("Precio")}))
            return m;
        const bool exempt = yesNo(record, QStringLiteral("ExcentoImpuesto")).value_or(false);
        QString description = text(record, u"Nombre").left(29).trimmed();
        note->lines.append({creditItem(QStringLiteral(" "), LimpioCadena(description),
                                       exempt ? QStringLiteral("FF") : code,
                                       formatPlainNumber(record.value(quantity).toDouble())),
                            number(record, u"Precio"), true});
    }
    if (!note->lines.isEmpty())
        return std::nullopt;

    // No printable line record: the credited amounts go as lump sums.
    const QString lumpSum = QStringLiteral("Descuento a factura");
    const QString articulo = QStringLiteral("0000");
    const QString one = QStringLiteral("1");
    if (rate > 0) {
        if (monto > 0)
            note->lines.append({creditItem(articulo, lumpSum, code, one), monto, false});
        if (montoExcento > 0)
            note->lines.append(
                {creditItem(articulo, lumpSum, QStringLiteral("II"), one), montoExcento, false});
    } else {
        note->lines.append({creditItem(articulo, lumpSum, QStringLiteral("II"), one),
                            monto + montoExcento, false});
    }
    return std::nullopt;
}
