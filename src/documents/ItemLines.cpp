#include "documents/ItemLines.h"

#include "documents/TextFormat.h"
#include "printer/FiscalPrinter.h"

#include <cmath>

namespace robot {

std::optional<QList<double>> splitPrice(double price) {
    if (!std::isfinite(price))
        return std::nullopt;
    if (price < kLargestUnitPrice)
        return QList<double>{price};
    if (price > kLargestUnitPrice * kMostPiecesPerPrice)
        return std::nullopt;
    QList<double> pieces;
    double rest = price;
    while (rest > 0 && pieces.size() < kMostPiecesPerPrice) {
        const double piece = rest >= kLargestUnitPrice ? kLargestUnitPrice : rest;
        pieces.append(piece);
        rest -= piece;
    }
    return pieces;
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

PrinterReply sendItemLine(FiscalPrinter &printer, const ItemLine &line, const QList<double> &pieces,
                          const QString &continuation,
                          const std::function<void(const PrinterReply &)> &afterEach) {
    PrinterReply sent = PrinterReply::of(1);
    bool first = true;
    for (const double piece : pieces) {
        sent =
            printer.VendeArticulo(line.codigo, first ? line.descripcion : continuation,
                                  line.alicuota, line.tipoCantidad, line.cantidad, line.decimales,
                                  formatAmount(piece), line.tipoDescuento, line.valorDescuento);
        first = false;
        if (afterEach)
            afterEach(sent);
        if (!sent.ok())
            return sent;
    }
    return sent;
}

} // namespace robot
