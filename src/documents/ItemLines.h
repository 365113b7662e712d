#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace robot {

class FiscalPrinter;
class PrinterReply;

// Unit prices at or above this do not fit the printer's price field and go in pieces.
constexpr double kLargestUnitPrice = 99999999.0;
// A price needing more pieces than this (about a thousand million) is not a price a receipt
// carries: it is refused before the printer is touched.
constexpr int kMostPiecesPerPrice = 10;
// Above this a double no longer holds an amount to the cent: no such number reaches a receipt.
constexpr double kLargestAmount = 1e15;

// The nine arguments of one item line; the unit price is set per piece.
struct ItemLine {
    QString codigo;
    QString descripcion;
    QString alicuota;
    QString tipoCantidad;
    QString cantidad;
    short decimales = 2;
    QString tipoDescuento;
    QString valorDescuento;
};

// The pieces a unit price is sent in: the price itself when below the limit (negative prices
// included), else pieces of the limit followed by the rest. Nothing when the price is not
// finite or would need more than kMostPiecesPerPrice pieces.
std::optional<QList<double>> splitPrice(double price);

// Sends `line` once per piece: the first piece with the line's description, the others with
// `continuation`. Stops at the first reply that is not a success and returns it, else the last
// one. `afterEach` gets every piece's reply.
PrinterReply sendItemLine(FiscalPrinter &printer, const ItemLine &line, const QList<double> &pieces,
                          const QString &continuation,
                          const std::function<void(const PrinterReply &)> &afterEach = {});

// Why a completed document could not be marked yet: the printer did not return its numbers.
QString numbersMissing(short code);

// The operator text of a failed stage, with the reason on a line of its own when there is one.
QString stageMessage(const QString &stage, const QString &reason = {});

} // namespace robot
