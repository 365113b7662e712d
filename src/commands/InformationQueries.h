#pragma once

#include "printer/PrinterReply.h"

#include <QString>
#include <optional>

namespace robot {

class FiscalPrinter;
class OperatorMessages;
class StationLog;

// What one information query got back from the printer library.
struct QueryAnswer {
    bool called = false; // false: the library could not be used (already told to the operator)
    PrinterReply reply;  // what the call came to when called
    QString answer;      // the answer buffer as the library left it, up to its first NUL
};

// The eight "Prueba" buttons of the options panel: each asks the printer one thing through a
// fresh answer buffer and shows the text unchanged. They never touch the robot.
class InformationQueries {
public:
    static constexpr int kFirst = 1;
    static constexpr int kLast = 8;
    // The library writes into a buffer of this many spaces.
    static constexpr int kBufferSize = 631;

    InformationQueries(FiscalPrinter &printer, OperatorMessages &messages);

    // The library call of "Prueba n". A library that cannot be used is reported to the operator
    // here.
    QueryAnswer ask(int prueba);

    // The whole button: "Prueba 1" shows "1:" and the answer, "Prueba 2" the answer alone, in
    // a message box, and give nothing back; "Prueba 3" to "Prueba 8" give the new text of
    // Mostrar. Nothing when the library could not be used.
    std::optional<QString> Prueba(int prueba);

    // The library entry point that "Prueba n" calls.
    static QString entryPoint(int prueba);
    static QString caption(int prueba) { return QStringLiteral("Prueba %1").arg(prueba); }
    // What "Prueba n" asks the printer, for its button's tooltip.
    static QString question(int prueba);

    // Every button's outcome becomes a line of this log.
    void logTo(StationLog *stationLog) { log = stationLog; }

private:
    FiscalPrinter &printer;
    OperatorMessages &messages;
    StationLog *log = nullptr;
};

} // namespace robot
