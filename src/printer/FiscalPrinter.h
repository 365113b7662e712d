#pragma once

#include <QString>
#include <array>
#include <stdexcept>

// A printer call that could not be made at all: the library did not load or lacks the entry
// point. Callers report it like any failure of that call.
class PrinterUnavailable : public std::runtime_error {
public:
    explicit PrinterUnavailable(const QString &message)
        : std::runtime_error(message.toStdString()), text(message) {}
    QString text;
};

// The operations of the fiscal printer library that the station uses. Texts are passed as
// Qt strings; implementations turn them into ANSI bytes. A buffer argument comes in as the
// caller's string of N spaces and comes back as the library's answer, cut at the first NUL.
class FiscalPrinter {
public:
    virtual ~FiscalPrinter() = default;

    virtual short AbreComprobanteDeVentaEx(const QString &rif, const QString &nombre,
                                           const QString &direccion) = 0;
    virtual short VendeArticulo(const QString &codigo, const QString &descripcion,
                                const QString &alicuota, const QString &tipoCantidad,
                                const QString &cantidad, short decimales,
                                const QString &valorUnitario, const QString &tipoDescuento,
                                const QString &valorDescuento) = 0;
    virtual short IniciaCierreCupon(const QString &acrecimoDescuento, const QString &tipo,
                                    const QString &valor) = 0;
    virtual short EfectuaFormaPago(const QString &formaPago, const QString &valor) = 0;
    virtual short FinalizarCierreCupon(const QString &mensaje) = 0;
    virtual short NumeroCupon(QString &buffer) = 0;
    virtual short NumeroReducciones(QString &buffer) = 0;
    virtual short NumeroIntervenciones(QString &buffer) = 0;
    virtual short AccionaGaveta() = 0;
    virtual short AbreNotaDeCredito(const std::array<QString, 10> &textos) = 0;
    virtual short CierraCuponReducido(const QString &formaPago, const QString &mensaje) = 0;
    virtual short AnulaCupon() = 0;
    virtual short LecturaX() = 0;
    virtual short ReduccionZ(const QString &fecha, const QString &hora) = 0;
    virtual short NumeroSerie(QString &buffer) = 0;
    virtual short DatosUltimaReduccion(QString &buffer) = 0;
    virtual short ContadoresTotalizadoresNoFiscales(QString &buffer) = 0;
    virtual short NumeroSustituicionesPropietario(QString &buffer) = 0;
    virtual short LeerArchivoRetorno(QString &buffer) = 0;
    virtual short RetornoImpresora(short &ack, short &st1, short &st2) = 0;

    // Result of the last call that a caller chose to keep; 1 means success.
    short CodigoRetorno = 0;
};
