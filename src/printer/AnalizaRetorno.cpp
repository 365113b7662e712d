#include "printer/AnalizaRetorno.h"

#include <QStringList>

namespace robot {

namespace {

ReplyAnalysis unreached(const PrinterReply &reply, const QString &Titulo) {
    // A library that cannot be used names itself; anything else is the printer not answering.
    if (reply.unavailable())
        return {false, reply.faultText, MessageIcon::Critical, Titulo};
    const QString why = reply.faultText.isEmpty() ? QString() : u'\r' + reply.faultText;
    return {false, QStringLiteral("Error de comunicación con la impresora.") + why,
            MessageIcon::Critical, Titulo};
}

} // namespace

ReplyAnalysis AnalizaRetorno(FiscalPrinter &printer, const QString &Mensaje,
                             const QString &MensajeAdicional, const PrinterReply &Retorno,
                             const QString &Titulo) {
    if (!Retorno.answered())
        return unreached(Retorno, Titulo);
    if (Retorno.code != 1 && Retorno.code != -27) {
        // Any other code is the library refusing the call itself (bad parameter, port closed,
        // printer off): treating it as success would let a failed Z report look done.
        return {false,
                QStringLiteral("La impresora no ejecutó el comando (código %1).").arg(Retorno.code),
                MessageIcon::Critical, Titulo};
    }

    return analyseStatus(printer.RetornoImpresora(), Mensaje, MensajeAdicional, Titulo);
}

ReplyAnalysis analyseStatus(const PrinterReply &status, const QString &Mensaje,
                            const QString &MensajeAdicional, const QString &Titulo) {
    // A status that never came back says nothing was done, not that all went well.
    if (!status.answered())
        return unreached(status, Titulo);
    if (status.notExecuted())
        return {false, QStringLiteral("Status de la Impresora: 21\r\nComando no ejecutado"),
                MessageIcon::Information, QString()};
    if (status.clean())
        return {true, Mensaje.isEmpty() ? QString() : Mensaje + MensajeAdicional,
                MessageIcon::Information, Titulo};

    QString text = QStringLiteral("Status de la Impresora: ") + status.statusText() +
                   QStringLiteral("\r\n") + status.statusLines();
    // Out of paper is the one fault an operator mends alone: a warning, and what to do.
    if (status.paperOut())
        text += QStringLiteral("\r\nColoque un rollo de papel nuevo y cierre la tapa de la "
                               "impresora.");
    if (!Mensaje.isEmpty())
        text += QStringLiteral("\r\n") + Mensaje;
    return {false, text, status.paperOut() ? MessageIcon::Warning : MessageIcon::Information,
            Titulo};
}

PrinterRefusal describeRefusal(FiscalPrinter &printer, const PrinterReply &refused) {
    const QString code =
        QStringLiteral("La impresora respondió con el código %1").arg(refused.code);
    if (!refused.answered())
        return {refused.unreached(), false, true,
                refused.unavailable() ? code + QStringLiteral("; ") + refused.faultText
                                      : code + QStringLiteral(" (sin comunicación)."),
                refused.unavailable()};
    const PrinterReply status = printer.RetornoImpresora();
    if (!status.answered())
        return {status.unreached(), false, true,
                code + QStringLiteral("; ") +
                    (status.unavailable() ? status.faultText
                                          : QStringLiteral("no devolvió su estado.")),
                status.unavailable()};
    const QString words = status.words();
    QStringList logged;
    if (status.notExecuted())
        logged << QStringLiteral("Comando no ejecutado");
    if (!words.isEmpty())
        logged << words;
    const QString answer =
        code + QStringLiteral("; Status de la Impresora: %1 (%2).")
                   .arg(status.statusText(), logged.isEmpty() ? QStringLiteral("sin errores")
                                                              : logged.join(QStringLiteral(", ")));
    if (status.notExecuted())
        return {QStringLiteral("Comando no ejecutado."), false, false, answer};
    return {words.isEmpty() ? QString() : words + u'.', status.paperOut(), false, answer};
}

QString paperState(const PrinterStatus &status) {
    PrinterReply read;
    read.status = status;
    if (read.notExecuted())
        return {};
    if (read.paperOut())
        return QStringLiteral("sin papel");
    return read.paperLow() ? QStringLiteral("poco papel") : QStringLiteral("normal");
}

} // namespace robot
