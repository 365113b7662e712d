#include "commands/InformationQueries.h"

#include "core/OperatorMessages.h"
#include "printer/EntryPoints.h"
#include "printer/FiscalPrinter.h"

namespace robot {

namespace {

using robot::fiscal::EntryPoint;

struct Query {
    const char *button;
    EntryPoint entryPoint;
};

// "Prueba 1" and "Prueba 4" ask the same thing and differ only in where the answer is shown.
const Query kQueries[InformationQueries::kLast] = {
    {"Command14", EntryPoint::NumeroSerie},
    {"Command15", EntryPoint::LeerArchivoRetorno},
    {"Command16", EntryPoint::DatosUltimaReduccion},
    {"Command17", EntryPoint::NumeroSerie},
    {"Command18", EntryPoint::NumeroIntervenciones},
    {"Command19", EntryPoint::ContadoresTotalizadoresNoFiscales},
    {"Command20", EntryPoint::NumeroReducciones},
    {"Command23", EntryPoint::NumeroSustituicionesPropietario},
};

const Query *queryOf(int prueba) {
    if (prueba < InformationQueries::kFirst || prueba > InformationQueries::kLast)
        return nullptr;
    return &kQueries[prueba - 1];
}

} // namespace

InformationQueries::InformationQueries(FiscalPrinter &printer, OperatorMessages &messages)
    : printer(printer), messages(messages) {}

QString InformationQueries::buttonName(int prueba) {
    const Query *query = queryOf(prueba);
    return query ? QString::fromLatin1(query->button) : QString();
}

QString InformationQueries::entryPoint(int prueba) {
    const Query *query = queryOf(prueba);
    return query ? QString::fromLatin1(robot::fiscal::symbolOf(query->entryPoint)) : QString();
}

QueryAnswer InformationQueries::ask(int prueba) {
    QueryAnswer result;
    const Query *query = queryOf(prueba);
    if (!query)
        return result;
    // A new buffer for every query: no answer can show through in the next one.
    QString buffer(kBufferSize, u' ');
    try {
        result.code = printer.callBuffer(query->entryPoint, buffer);
    } catch (const PrinterUnavailable &e) {
        messages.show(e.text, MessageIcon::Critical, caption(prueba));
        return result;
    }
    result.called = true;
    result.answer = buffer;
    if (prueba != 2)
        printer.CodigoRetorno = result.code;
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
