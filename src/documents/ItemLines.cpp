#include "documents/ItemLines.h"

#include "documents/TextFormat.h"
#include "printer/FiscalPrinter.h"

QList<double> splitPrice(double price) {
    if (price < kLargestUnitPrice)
        return {price};
    QList<double> pieces;
    double rest = price;
    while (rest > 0) {
        const double piece = rest >= kLargestUnitPrice ? kLargestUnitPrice : rest;
        pieces.append(piece);
        rest -= piece;
    }
    return pieces;
}

qint64 zNumberFromReply(const QString &reduccionesReply) {
    const QString text = reduccionesReply.trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && text[digits].isDigit() && text[digits].unicode() < 128)
        ++digits;
    return text.left(digits).toLongLong() + 1;
}

QString numbersMissing(short code) {
    return QStringLiteral("El documento se completó en la impresora, pero esta no devolvió sus "
                          "números (código %1). Se marcará como impreso cuando la impresora "
                          "responda; no se imprimirá de nuevo.")
        .arg(code);
}

QString stageMessage(const QString &stage, const QString &reason) {
    QString text = QStringLiteral("No se pudo realizar la tarea. Por favor verifique la etapa ") +
                   stage + u'.';
    if (!reason.isEmpty())
        text += u'\r' + reason;
    return text;
}

short sendItemLine(FiscalPrinter &printer, const ItemLine &line, double price,
                   const QString &continuation, const std::function<void()> &afterEach) {
    bool first = true;
    for (const double piece : splitPrice(price)) {
        printer.CodigoRetorno =
            printer.VendeArticulo(line.codigo, first ? line.descripcion : continuation,
                                  line.alicuota, line.tipoCantidad, line.cantidad, line.decimales,
                                  formatAmount(piece), line.tipoDescuento, line.valorDescuento);
        first = false;
        if (afterEach)
            afterEach();
        if (printer.CodigoRetorno != 1)
            return printer.CodigoRetorno;
    }
    return 1;
}
