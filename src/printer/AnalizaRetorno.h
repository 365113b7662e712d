#pragma once

#include "core/OperatorMessages.h"
#include "printer/FiscalPrinter.h"

#include <QString>

namespace robot {

// What a call's reply means for the operator: whether the printer did what it was asked, and
// the message that says so (empty when there is nothing to tell). Whoever shows messages shows
// it; nothing here does.
struct ReplyAnalysis {
    bool accepted = false;
    QString text;
    MessageIcon icon = MessageIcon::Information;
    QString caption;
};

// The return analysis of a call: what its reply and, for the codes 1 and -27, the printer's
// status words (read here with RetornoImpresora) mean, with `Mensaje` and `MensajeAdicional`
// told when the printer reports no error.
ReplyAnalysis AnalizaRetorno(FiscalPrinter &printer, const QString &Mensaje,
                             const QString &MensajeAdicional, const PrinterReply &Retorno,
                             const QString &Titulo);

// The same analysis of a status already read.
ReplyAnalysis analyseStatus(const PrinterReply &status, const QString &Mensaje,
                            const QString &MensajeAdicional, const QString &Titulo);

// What a refused call comes to, decoded once from one status read: the printer's own words on
// one line for the operator, the status line and the log ("Fin de Papel, Cupón fiscal
// abierto.", "Comando no ejecutado.", or what kept the call from the printer), the two causes
// an operator mends alone, and the printer's whole answer for the log.
struct PrinterRefusal {
    QString words; // empty when the status shows nothing
    bool paperOut = false;
    bool noAnswer = false; // the call never reached the printer, or the printer did not answer
    QString answer;        // "La impresora respondió con el código N; Status de la Impresora: …"
    bool unavailable = false; // the library or its bridge cannot be used at all: the words say why
};
PrinterRefusal describeRefusal(FiscalPrinter &printer, const PrinterReply &refused);

// The paper as status words show it: "sin papel", "poco papel" or "normal"; empty when the
// printer refused the command (ACK 21) and its words say nothing.
QString paperState(const PrinterStatus &status);

} // namespace robot
