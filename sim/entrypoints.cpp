// The exported C entry points: decode the ANSI arguments, hand the call to the printer.

#include "printer/EntryPoints.h"
#include "PrinterSession.h"
#include "printer/Ansi.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

QString text(const char *bytes) {
    return bytes ? Ansi::decode(QByteArray(bytes)) : QString();
}

// The caller's buffer holds as many spaces as it can take; its NUL and whatever the answer
// does not cover stay as the caller left them.
void fill(char *buffer, const QString &answer) {
    const QByteArray bytes = Ansi::encode(answer);
    std::memcpy(buffer, bytes.constData(), std::min(std::strlen(buffer), size_t(bytes.size())));
}

short query(const char *entryPoint, char *buffer, Outcome (PrinterModel::*ask)() const) {
    return runCall(entryPoint, CallKind::Query, [&](PrinterModel &printer) {
        if (!buffer)
            return Outcome::missing();
        const Outcome outcome = (printer.*ask)();
        fill(buffer, outcome.answer);
        return outcome;
    });
}

short command(const char *entryPoint, const std::function<Outcome(PrinterModel &)> &work) {
    return runCall(entryPoint, CallKind::Printing, work);
}

} // namespace

extern "C" {

FISCAL_EXPORT short FISCAL_API Bematech_FI_AbreComprobanteDeVentaEx(const char *rif,
                                                                    const char *nombre,
                                                                    const char *direccion) {
    return command(__func__, [&](PrinterModel &p) {
        return p.openSale(text(rif), text(nombre), text(direccion));
    });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_VendeArticulo(
    const char *codigo, const char *descripcion, const char *alicuota, const char *tipoCantidad,
    const char *cantidad, short decimales, const char *valorUnitario, const char *tipoDescuento,
    const char *valorDescuento) {
    const ItemRequest request{text(codigo),        text(descripcion),   text(alicuota),
                              text(tipoCantidad),  text(cantidad),      decimales,
                              text(valorUnitario), text(tipoDescuento), text(valorDescuento)};
    return command(__func__, [&](PrinterModel &p) { return p.sellItem(request); });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_IniciaCierreCupon(const char *acrecimoDescuento,
                                                             const char *tipo, const char *valor) {
    return command(__func__, [&](PrinterModel &p) {
        return p.startClosing(text(acrecimoDescuento), text(tipo), text(valor));
    });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_EfectuaFormaPago(const char *formaPago,
                                                            const char *valor) {
    return command(__func__, [&](PrinterModel &p) { return p.pay(text(formaPago), text(valor)); });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_FinalizarCierreCupon(const char *mensaje) {
    return command(__func__, [&](PrinterModel &p) { return p.finishSale(text(mensaje)); });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroCupon(char *buffer) {
    return query(__func__, buffer, &PrinterModel::documentCounter);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroReducciones(char *buffer) {
    return query(__func__, buffer, &PrinterModel::reductionCounter);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroIntervenciones(char *buffer) {
    return query(__func__, buffer, &PrinterModel::interventionCounter);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_AccionaGaveta() {
    return command(__func__, [](PrinterModel &p) { return p.openDrawer(); });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_AbreNotaDeCredito(const char *t1, const char *t2,
                                                             const char *t3, const char *t4,
                                                             const char *t5, const char *t6,
                                                             const char *t7, const char *t8,
                                                             const char *t9, const char *t10) {
    const std::array<QString, 10> texts = {text(t1), text(t2), text(t3), text(t4), text(t5),
                                           text(t6), text(t7), text(t8), text(t9), text(t10)};
    return command(__func__, [&](PrinterModel &p) { return p.openCreditNote(texts); });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_CierraCuponReducido(const char *formaPago,
                                                               const char *mensaje) {
    return command(__func__, [&](PrinterModel &p) {
        return p.closeCreditNote(text(formaPago), text(mensaje));
    });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_AnulaCupon() {
    return command(__func__, [](PrinterModel &p) { return p.cancel(); });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_LecturaX() {
    return command(__func__, [](PrinterModel &p) { return p.readingX(); });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_ReduccionZ(const char *fecha, const char *hora) {
    return command(__func__,
                   [&](PrinterModel &p) { return p.reductionZ(text(fecha), text(hora)); });
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroSerie(char *buffer) {
    return query(__func__, buffer, &PrinterModel::serialNumber);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_DatosUltimaReduccion(char *buffer) {
    return query(__func__, buffer, &PrinterModel::lastReductionData);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_ContadoresTotalizadoresNoFiscales(char *buffer) {
    return query(__func__, buffer, &PrinterModel::nonFiscalCounters);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_NumeroSustituicionesPropietario(char *buffer) {
    return query(__func__, buffer, &PrinterModel::ownerReplacements);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_LeerArchivoRetorno(char *buffer) {
    return query(__func__, buffer, &PrinterModel::lastAnswer);
}

FISCAL_EXPORT short FISCAL_API Bematech_FI_RetornoImpresora(short *ack, short *st1, short *st2) {
    return runCall(__func__, CallKind::Status, [&](PrinterModel &p) {
        const Outcome outcome = p.lastStatus();
        if (ack)
            *ack = outcome.status.ack;
        if (st1)
            *st1 = outcome.status.st1;
        if (st2)
            *st2 = outcome.status.st2;
        return outcome;
    });
}

} // extern "C"

// Both sides of the library boundary must agree on every signature.
using namespace robot::fiscal;
static_assert(std::is_same_v<decltype(&Bematech_FI_AbreComprobanteDeVentaEx), FnText3>);
static_assert(std::is_same_v<decltype(&Bematech_FI_VendeArticulo), FnItem>);
static_assert(std::is_same_v<decltype(&Bematech_FI_IniciaCierreCupon), FnText3>);
static_assert(std::is_same_v<decltype(&Bematech_FI_EfectuaFormaPago), FnText2>);
static_assert(std::is_same_v<decltype(&Bematech_FI_FinalizarCierreCupon), FnText1>);
static_assert(std::is_same_v<decltype(&Bematech_FI_NumeroCupon), FnBuffer>);
static_assert(std::is_same_v<decltype(&Bematech_FI_NumeroReducciones), FnBuffer>);
static_assert(std::is_same_v<decltype(&Bematech_FI_NumeroIntervenciones), FnBuffer>);
static_assert(std::is_same_v<decltype(&Bematech_FI_AccionaGaveta), FnNone>);
static_assert(std::is_same_v<decltype(&Bematech_FI_AbreNotaDeCredito), FnText10>);
static_assert(std::is_same_v<decltype(&Bematech_FI_CierraCuponReducido), FnText2>);
static_assert(std::is_same_v<decltype(&Bematech_FI_AnulaCupon), FnNone>);
static_assert(std::is_same_v<decltype(&Bematech_FI_LecturaX), FnNone>);
static_assert(std::is_same_v<decltype(&Bematech_FI_ReduccionZ), FnText2>);
static_assert(std::is_same_v<decltype(&Bematech_FI_NumeroSerie), FnBuffer>);
static_assert(std::is_same_v<decltype(&Bematech_FI_DatosUltimaReduccion), FnBuffer>);
static_assert(std::is_same_v<decltype(&Bematech_FI_ContadoresTotalizadoresNoFiscales), FnBuffer>);
static_assert(std::is_same_v<decltype(&Bematech_FI_NumeroSustituicionesPropietario), FnBuffer>);
static_assert(std::is_same_v<decltype(&Bematech_FI_LeerArchivoRetorno), FnBuffer>);
static_assert(std::is_same_v<decltype(&Bematech_FI_RetornoImpresora), FnStatus>);
