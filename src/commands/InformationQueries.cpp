#include "commands/InformationQueries.h"

#include "core/OperatorMessages.h"
#include "core/StationLog.h"
#include "printer/EntryPoints.h"
#include "printer/FiscalPrinter.h"

namespace robot {

namespace {

using robot::fiscal::EntryPoint;

struct Query {
    EntryPoint entryPoint;
    const char *question;
};

// "Prueba 1" and "Prueba 4" ask the same thing and differ only in where the answer is shown.
const Query kQueries[InformationQueries::kLast] = {
    {EntryPoint::NumeroSerie, "Pide a la impresora su número de serie y lo muestra en un mensaje"},
    {EntryPoint::LeerArchivoRetorno,
     "Muestra en un mensaje la última respuesta de la impresora que guardó su librería"},
    {EntryPoint::DatosUltimaReduccion, "Pide a la impresora los datos de la última reducción Z"},
    {EntryPoint::NumeroSerie, "Pide a la impresora su número de serie"},
    {EntryPoint::NumeroIntervenciones, "Pide a la impresora cuántas intervenciones técnicas tuvo"},
    {EntryPoint::ContadoresTotalizadoresNoFiscales,
     "Pide a la impresora sus contadores de documentos no fiscales"},
    {EntryPoint::NumeroReducciones, "Pide a la impresora cuántas reducciones Z hizo"},
    {EntryPoint::NumeroSustituicionesPropietario,
     "Pide a la impresora cuántas veces cambió de propietario"},
};

const Query *queryOf(int prueba) {
    if (prueba < InformationQueries::kFirst || prueba > InformationQueries::kLast)
        return nullptr;
    return &kQueries[prueba - 1];
}

} // namespace

InformationQueries::InformationQueries(FiscalPrinter &printer, OperatorMessages &messages)
    : printer(printer), messages(messages) {}

QString InformationQueries::entryPoint(int prueba) {
    const Query *query = queryOf(prueba);
    return query ? QString::fromLatin1(robot::fiscal::symbolOf(query->entryPoint)) : QString();
}

QString InformationQueries::question(int prueba) {
    const Query *query = queryOf(prueba);
    return query ? QString::fromUtf8(query->question) : QString();
}

QueryAnswer InformationQueries::ask(int prueba) {
    QueryAnswer result;
    const Query *query = queryOf(prueba);
    if (!query)
        return result;
    // A new buffer for every query: no answer can show through in the next one.
    QString buffer(kBufferSize, u' ');
    const PrinterReply reply = printer.callBuffer(query->entryPoint, buffer);
    if (reply.unavailable()) {
        if (log)
            log->error(QStringLiteral("%1: no se pudo usar la librería de la impresora. %2")
                           .arg(caption(prueba), reply.faultText));
        messages.show(reply.faultText, MessageIcon::Critical, caption(prueba));
        return result;
    }
    result.reply = reply;
    if (log)
        log->add(reply.ok() ? LogLevel::Info : LogLevel::Aviso,
                 QStringLiteral("%1 (%2): la impresora devolvió el código %3.")
                     .arg(caption(prueba),
                          QString::fromLatin1(robot::fiscal::symbolOf(query->entryPoint)))
                     .arg(reply.code));
    result.called = true;
    result.answer = buffer;
    return result;
}

std::optional<QString> InformationQueries::Prueba(int prueba) {
    const QueryAnswer result = ask(prueba);
    if (!result.called)
        return std::nullopt;
    if (prueba == 1) {
        messages.show(QStringLiteral("1:") + result.answer);
        return std::nullopt;
    }
    if (prueba == 2) {
        messages.show(result.answer);
        return std::nullopt;
    }
    return result.answer;
}

} // namespace robot
