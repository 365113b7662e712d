#pragma once

#include "core/OperatorMessages.h"
#include "printer/FiscalPrinter.h"

#include <QString>

namespace robot {

// Shows the operator what a printer call's return code and the printer's status words mean (for
// no communication, with what kept the call from the printer). True when the printer reported
// no error. Reads the status (RetornoImpresora) only for the
// codes 1 and -27; a PrinterUnavailable from that read reaches the caller.
bool AnalizaRetorno(FiscalPrinter &printer, OperatorMessages &messages, const QString &Mensaje,
                    const QString &MensajeAdicional, short Retorno, const QString &Titulo);

// The printer's own answer to a refused call, for the log: the return code and, unless the
// printer could not be reached, its status words. Never throws.
QString printerAnswer(FiscalPrinter &printer, short Retorno);

// What a refused call comes to, decoded in one place: the printer's own words on one line for
// the operator, the status line and the log ("Fin de Papel, Cupón fiscal abierto.", "Comando no
// ejecutado.", or what kept the call from the printer), and the two causes an operator mends
// alone. The words are empty when the status shows nothing.
struct PrinterRefusal {
    QString words;
    bool paperOut = false;
    bool noAnswer = false; // the call never reached the printer, or the printer did not answer
};
PrinterRefusal describeRefusal(FiscalPrinter &printer, short Retorno);

// The paper as status words show it: "sin papel", "poco papel" or "normal"; empty when the
// printer refused the command (ACK 21) and its words say nothing.
QString paperState(short ack, short st1);

// Reads the printer's status silently: true when AnalizaRetorno would find nothing to report
// (no ACK 21, no status bit set).
bool printerStatusClean(FiscalPrinter &printer);

} // namespace robot
