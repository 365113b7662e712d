#include "printer/AnalizaRetorno.h"

namespace robot {

namespace {

constexpr int kWeights[8] = {128, 64, 32, 16, 8, 4, 2, 1};
constexpr short kPaperOut = 128; // ST1
constexpr short kPaperLow = 64;  // ST1

const char *const kSt1Texts[8] = {
    "Fin de Papel",
    "Poco Papel",
    "Error en el reloj",
    "Impresora en error",
    "Primer dato del comando no fue Esc",
    "Comando inexistente",
    "Cupón fiscal abierto",
    "Número de parámetros inválidos en el comando",
};

const char *const kSt2Texts[8] = {
    "Tipo de Parámetro de comando inválido",
    "Memória fiscal llena",
    "Error en la CMOS",
    "Alicuota no programada",
    "Capacidad de alicuota programables llena",
    "Cancelamiento no permitido",
    "RIF del propietario no programados",
    "Comando no ejecutado",
};

// Each weight reached is a line, taken away before the next smaller weight is compared.
QString statusLines(int value, const char *const (&texts)[8]) {
    QString lines;
    for (int i = 0; i < 8; ++i) {
        if (value >= kWeights[i]) {
            lines += QString::fromUtf8(texts[i]) + QLatin1Char('\r');
            value -= kWeights[i];
        }
    }
    return lines;
}

} // namespace

bool AnalizaRetorno(FiscalPrinter &printer, OperatorMessages &messages, const QString &Mensaje,
                    const QString &MensajeAdicional, short Retorno, const QString &Titulo) {
    if (Retorno == 0) {
        const QString why = printer.lastFault.isEmpty() ? QString() : u'\r' + printer.lastFault;
        messages.show(QStringLiteral("Error de comunicación con la impresora.") + why,
                      MessageIcon::Critical, Titulo);
        return false;
    }
    if (Retorno != 1 && Retorno != -27) {
        // Any other code is the library refusing the call itself (bad parameter, port closed,
        // printer off): treating it as success would let a failed Z report look done.
        messages.show(
            QStringLiteral("La impresora no ejecutó el comando (código %1).").arg(Retorno),
            MessageIcon::Critical, Titulo);
        return false;
    }

    short ack = 0;
    short st1 = 0;
    short st2 = 0;
    printer.RetornoImpresora(ack, st1, st2);
    const QString status = QStringLiteral("%1,%2,%3").arg(ack).arg(st1).arg(st2);

    if (ack == 21) {
        messages.show(QStringLiteral("Status de la Impresora: 21\r\nComando no ejecutado"),
                      MessageIcon::Information, QString());
        return false;
    }

    if (st1 == 0 && st2 == 0) {
        if (!Mensaje.isEmpty())
            messages.show(Mensaje + MensajeAdicional, MessageIcon::Information, Titulo);
        return true;
    }

    QString text = QStringLiteral("Status de la Impresora: ") + status + QStringLiteral("\r\n") +
                   statusLines(st1, kSt1Texts) + statusLines(st2, kSt2Texts);
    // Out of paper is the one fault an operator mends alone: a warning, and what to do.
    const bool paperOut = (st1 & kPaperOut) != 0;
    if (paperOut)
        text += QStringLiteral("\r\nColoque un rollo de papel nuevo y cierre la tapa de la "
                               "impresora.");
    if (!Mensaje.isEmpty())
        text += QStringLiteral("\r\n") + Mensaje;
    messages.show(text, paperOut ? MessageIcon::Warning : MessageIcon::Information, Titulo);
    return false;
}

QString printerAnswer(FiscalPrinter &printer, short Retorno) {
    const QString code = QStringLiteral("La impresora respondió con el código %1").arg(Retorno);
    if (Retorno == 0)
        return code + QStringLiteral(" (sin comunicación).");
    short ack = 0;
    short st1 = 0;
    short st2 = 0;
    try {
        if (printer.RetornoImpresora(ack, st1, st2) == 0)
            return code + QStringLiteral("; no devolvió su estado.");
    } catch (const PrinterUnavailable &e) {
        return code + QStringLiteral("; ") + e.text;
    }
    QString words = statusLines(st1, kSt1Texts) + statusLines(st2, kSt2Texts);
    if (ack == 21)
        words.prepend(QStringLiteral("Comando no ejecutado\r"));
    words.chop(1);
    words.replace(u'\r', QStringLiteral(", "));
    return code + QStringLiteral("; Status de la Impresora: %1,%2,%3 (%4).")
                      .arg(ack)
                      .arg(st1)
                      .arg(st2)
                      .arg(words.isEmpty() ? QStringLiteral("sin errores") : words);
}

PrinterRefusal describeRefusal(FiscalPrinter &printer, short Retorno) {
    const QString noCommunication = QStringLiteral("Error de comunicación con la impresora.");
    if (Retorno == 0)
        return {printer.lastFault.isEmpty() ? noCommunication : printer.lastFault, false, true};
    short ack = 0;
    short st1 = 0;
    short st2 = 0;
    try {
        if (printer.RetornoImpresora(ack, st1, st2) == 0)
            return {printer.lastFault.isEmpty() ? noCommunication : printer.lastFault, false, true};
    } catch (const PrinterUnavailable &e) {
        return {e.text, false, true};
    }
    if (ack == 21)
        return {QStringLiteral("Comando no ejecutado.")};
    QString words = statusLines(st1, kSt1Texts) + statusLines(st2, kSt2Texts);
    if (!words.isEmpty()) {
        words.chop(1);
        words = words.replace(u'\r', QStringLiteral(", ")) + u'.';
    }
    return {words, (st1 & kPaperOut) != 0, false};
}

bool printerStatusClean(FiscalPrinter &printer) {
    short ack = 0;
    short st1 = 0;
    short st2 = 0;
    printer.RetornoImpresora(ack, st1, st2);
    return ack != 21 && st1 == 0 && st2 == 0;
}

QString paperState(short ack, short st1) {
    if (ack == 21)
        return {};
    if (st1 & kPaperOut)
        return QStringLiteral("sin papel");
    return (st1 & kPaperLow) ? QStringLiteral("poco papel") : QStringLiteral("normal");
}

} // namespace robot
