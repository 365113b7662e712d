#include "support/RecordingPrinter.h"

QStringList RecordingPrinter::callsTo(const QString &name) const {
    return calls.filter(QRegularExpression(QStringLiteral("^") + name + QStringLiteral("\\(")));
}

QStringList RecordingPrinter::itemArguments() const {
    QStringList arguments;
    for (const QString &call : callsTo(QStringLiteral("VendeArticulo")))
        arguments << call.mid(call.indexOf(u'(') + 1).chopped(1);
    return arguments;
}

QStringList RecordingPrinter::itemPrices() const {
    QStringList prices;
    for (const QString &line : itemArguments()) {
        const QStringList args = line.split(u'|');
        prices << args[1] + u'=' + args[6];
    }
    return prices;
}

short RecordingPrinter::AbreComprobanteDeVentaEx(const QString &rif, const QString &nombre,
                                                 const QString &direccion) {
    record(QStringLiteral("AbreComprobanteDeVentaEx"), {rif, nombre, direccion});
    return finish(real->AbreComprobanteDeVentaEx(rif, nombre, direccion));
}
short RecordingPrinter::VendeArticulo(const QString &codigo, const QString &descripcion,
                                      const QString &alicuota, const QString &tipoCantidad,
                                      const QString &cantidad, short decimales,
                                      const QString &valorUnitario, const QString &tipoDescuento,
                                      const QString &valorDescuento) {
    record(QStringLiteral("VendeArticulo"),
           {codigo, descripcion, alicuota, tipoCantidad, cantidad, QString::number(decimales),
            valorUnitario, tipoDescuento, valorDescuento});
    return finish(real->VendeArticulo(codigo, descripcion, alicuota, tipoCantidad, cantidad,
                                      decimales, valorUnitario, tipoDescuento, valorDescuento));
}
short RecordingPrinter::IniciaCierreCupon(const QString &a, const QString &t, const QString &v) {
    record(QStringLiteral("IniciaCierreCupon"), {a, t, v});
    return finish(real->IniciaCierreCupon(a, t, v));
}
short RecordingPrinter::EfectuaFormaPago(const QString &formaPago, const QString &valor) {
    record(QStringLiteral("EfectuaFormaPago"), {formaPago, valor});
    return finish(real->EfectuaFormaPago(formaPago, valor));
}
short RecordingPrinter::FinalizarCierreCupon(const QString &mensaje) {
    record(QStringLiteral("FinalizarCierreCupon"), {mensaje});
    return finish(real->FinalizarCierreCupon(mensaje));
}
short RecordingPrinter::NumeroCupon(QString &buffer) {
    record(QStringLiteral("NumeroCupon"), {QString::number(buffer.size())});
    return finish(real->NumeroCupon(buffer));
}
short RecordingPrinter::NumeroReducciones(QString &buffer) {
    record(QStringLiteral("NumeroReducciones"), {QString::number(buffer.size())});
    return finish(real->NumeroReducciones(buffer));
}
short RecordingPrinter::NumeroIntervenciones(QString &buffer) {
    record(QStringLiteral("NumeroIntervenciones"), {QString::number(buffer.size())});
    return finish(real->NumeroIntervenciones(buffer));
}
short RecordingPrinter::AccionaGaveta() {
    record(QStringLiteral("AccionaGaveta"));
    return finish(real->AccionaGaveta());
}
short RecordingPrinter::AbreNotaDeCredito(const std::array<QString, 10> &textos) {
    record(QStringLiteral("AbreNotaDeCredito"), QStringList(textos.begin(), textos.end()));
    return finish(real->AbreNotaDeCredito(textos));
}
short RecordingPrinter::CierraCuponReducido(const QString &formaPago, const QString &mensaje) {
    record(QStringLiteral("CierraCuponReducido"), {formaPago, mensaje});
    return finish(real->CierraCuponReducido(formaPago, mensaje));
}
short RecordingPrinter::AnulaCupon() {
    record(QStringLiteral("AnulaCupon"));
    return finish(real->AnulaCupon());
}
short RecordingPrinter::LecturaX() {
    record(QStringLiteral("LecturaX"));
    return finish(real->LecturaX());
}
short RecordingPrinter::ReduccionZ(const QString &fecha, const QString &hora) {
    record(QStringLiteral("ReduccionZ"), {fecha, hora});
    return finish(real->ReduccionZ(fecha, hora));
}
short RecordingPrinter::NumeroSerie(QString &buffer) {
    record(QStringLiteral("NumeroSerie"), {QString::number(buffer.size())});
    return finish(real->NumeroSerie(buffer));
}
short RecordingPrinter::DatosUltimaReduccion(QString &buffer) {
    record(QStringLiteral("DatosUltimaReduccion"), {QString::number(buffer.size())});
    return finish(real->DatosUltimaReduccion(buffer));
}
short RecordingPrinter::ContadoresTotalizadoresNoFiscales(QString &buffer) {
    record(QStringLiteral("ContadoresTotalizadoresNoFiscales"), {QString::number(buffer.size())});
    return finish(real->ContadoresTotalizadoresNoFiscales(buffer));
}
short RecordingPrinter::NumeroSustituicionesPropietario(QString &buffer) {
    record(QStringLiteral("NumeroSustituicionesPropietario"), {QString::number(buffer.size())});
    return finish(real->NumeroSustituicionesPropietario(buffer));
}
short RecordingPrinter::LeerArchivoRetorno(QString &buffer) {
    record(QStringLiteral("LeerArchivoRetorno"), {QString::number(buffer.size())});
    return finish(real->LeerArchivoRetorno(buffer));
}
short RecordingPrinter::RetornoImpresora(short &ack, short &st1, short &st2) {
    record(QStringLiteral("RetornoImpresora"));
    return finish(real->RetornoImpresora(ack, st1, st2));
}
