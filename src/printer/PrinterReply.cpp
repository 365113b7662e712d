#include "printer/PrinterReply.h"

namespace robot {

namespace {

constexpr int kWeights[8] = {128, 64, 32, 16, 8, 4, 2, 1};
constexpr short kPaperOut = 128;           // ST1
constexpr short kDocumentOpen = 2;         // ST1
constexpr short kPrinterInError = 16 | 32; // ST1: in error, clock error
constexpr short kCmosError = 32;           // ST2
constexpr short kFiscalMemoryFull = 64;    // ST2

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
QString linesOf(int value, const char *const (&texts)[8]) {
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

PrinterReply PrinterReply::of(short code) {
    PrinterReply reply;
    reply.code = code;
    if (code == 0)
        reply.fault = Fault::NoCommunication;
    return reply;
}

PrinterReply PrinterReply::failed(Fault fault, const QString &why) {
    PrinterReply reply;
    reply.fault = fault;
    reply.faultText = why;
    return reply;
}

QString PrinterReply::unreached() const {
    return faultText.isEmpty() ? QStringLiteral("Error de comunicación con la impresora.")
                               : faultText;
}

bool PrinterReply::paperOut() const {
    return status && (status->st1 & kPaperOut);
}

bool PrinterReply::paperLow() const {
    return status && (status->st1 & kPaperLowBit);
}

bool PrinterReply::documentOpen() const {
    return status && (status->st1 & kDocumentOpen);
}

bool PrinterReply::printerFault() const {
    return status && ((status->st1 & kPrinterInError) || (status->st2 & kCmosError));
}

bool PrinterReply::fiscalMemoryFull() const {
    return status && (status->st2 & kFiscalMemoryFull);
}

QString PrinterReply::statusLines() const {
    return status ? linesOf(status->st1, kSt1Texts) + linesOf(status->st2, kSt2Texts) : QString();
}

QString PrinterReply::words() const {
    QString lines = statusLines();
    lines.chop(1);
    return lines.replace(u'\r', QStringLiteral(", "));
}

QString PrinterReply::statusText() const {
    return status ? QStringLiteral("%1,%2,%3").arg(status->ack).arg(status->st1).arg(status->st2)
                  : QString();
}

} // namespace robot
