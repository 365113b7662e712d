#pragma once

#include "printer/FiscalPrinter.h"

#include <QRegularExpression>
#include <QStringList>
#include <functional>
#include <memory>

// Passes every call on to a real printer and records it as "Name(arg|arg|...)", so tests can
// check the exact arguments the station sent.
class RecordingPrinter : public FiscalPrinter {
public:
    explicit RecordingPrinter(std::unique_ptr<FiscalPrinter> real) : real(std::move(real)) {}

    QStringList calls;
    // Runs after every call with its recorded text: lets a test change the printer mid-document.
    std::function<void(const QString &)> afterCall;
    QStringList callsTo(const QString &name) const;
    // Each item line sent, as "description=unit price".
    QStringList itemPrices() const;
    // The arguments of every item line sent, joined by '|'.
    QStringList itemArguments() const;

    short AbreComprobanteDeVentaEx(const QString &rif, const QString &nombre,
                                   const QString &direccion) override;
    short VendeArticulo(const QString &codigo, const QString &descripcion, const QString &alicuota,
                        const QString &tipoCantidad, const QString &cantidad, short decimales,
                        const QString &valorUnitario, const QString &tipoDescuento,
                        const QString &valorDescuento) override;
    short IniciaCierreCupon(const QString &a, const QString &t, const QString &v) override;
    short EfectuaFormaPago(const QString &formaPago, const QString &valor) override;
    short FinalizarCierreCupon(const QString &mensaje) override;
    short NumeroCupon(QString &buffer) override;
    short NumeroReducciones(QString &buffer) override;
    short NumeroIntervenciones(QString &buffer) override;
    short AccionaGaveta() override;
    short AbreNotaDeCredito(const std::array<QString, 10> &textos) override;
    short CierraCuponReducido(const QString &formaPago, const QString &mensaje) override;
    short AnulaCupon() override;
    short LecturaX() override;
    short ReduccionZ(const QString &fecha, const QString &hora) override;
    short NumeroSerie(QString &buffer) override;
    short DatosUltimaReduccion(QString &buffer) override;
    short ContadoresTotalizadoresNoFiscales(QString &buffer) override;
    short NumeroSustituicionesPropietario(QString &buffer) override;
    short LeerArchivoRetorno(QString &buffer) override;
    short RetornoImpresora(short &ack, short &st1, short &st2) override;

private:
    void record(const QString &name, const QStringList &args = {}) {
        calls << name + u'(' + args.join(u'|') + u')';
    }
    short finish(short result) {
        if (afterCall)
            afterCall(calls.last());
        return result;
    }
    std::unique_ptr<FiscalPrinter> real;
};
