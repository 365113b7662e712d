#pragma once

#include "printer/EntryPoints.h"
#include "printer/FiscalPrinter.h"

#include <QLibrary>
#include <QString>

// Interim names until the binding expands the entry-point table.
using namespace robot::fiscal;
using FnVendeArticulo = FnItem;
using FnRetornoImpresora = FnStatus;

// The fiscal printer library, loaded at run time from one absolute path. All 20 entry points
// are resolved at construction, all or nothing; when that fails every operation throws
// PrinterUnavailable with the reason, so the station reports it instead of crashing.
// The binding never touches CodigoRetorno: callers store what they need.
class LibraryPrinter : public FiscalPrinter {
public:
    explicit LibraryPrinter(const QString &libraryPath = defaultLibraryPath());

    // FISCAL_PRINTER_LIBRARY when set; on Windows BEMAFI32.DLL from the program's directory,
    // else from the system directory; elsewhere the virtual printer next to the executable.
    static QString defaultLibraryPath();

    bool isLoaded() const { return loaded; }
    // Empty when loaded; otherwise the Spanish message every operation throws.
    QString loadError() const { return error; }
    QString libraryPath() const { return path; }

    short AbreComprobanteDeVentaEx(const QString &rif, const QString &nombre,
                                   const QString &direccion) override;
    short VendeArticulo(const QString &codigo, const QString &descripcion, const QString &alicuota,
                        const QString &tipoCantidad, const QString &cantidad, short decimales,
                        const QString &valorUnitario, const QString &tipoDescuento,
                        const QString &valorDescuento) override;
    short IniciaCierreCupon(const QString &acrecimoDescuento, const QString &tipo,
                            const QString &valor) override;
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
    struct EntryPoints {
        FnText3 AbreComprobanteDeVentaEx = nullptr;
        FnVendeArticulo VendeArticulo = nullptr;
        FnText3 IniciaCierreCupon = nullptr;
        FnText2 EfectuaFormaPago = nullptr;
        FnText1 FinalizarCierreCupon = nullptr;
        FnBuffer NumeroCupon = nullptr;
        FnBuffer NumeroReducciones = nullptr;
        FnBuffer NumeroIntervenciones = nullptr;
        FnNone AccionaGaveta = nullptr;
        FnText10 AbreNotaDeCredito = nullptr;
        FnText2 CierraCuponReducido = nullptr;
        FnNone AnulaCupon = nullptr;
        FnNone LecturaX = nullptr;
        FnText2 ReduccionZ = nullptr;
        FnBuffer NumeroSerie = nullptr;
        FnBuffer DatosUltimaReduccion = nullptr;
        FnBuffer ContadoresTotalizadoresNoFiscales = nullptr;
        FnBuffer NumeroSustituicionesPropietario = nullptr;
        FnBuffer LeerArchivoRetorno = nullptr;
        FnRetornoImpresora RetornoImpresora = nullptr;
    };

    void load();
    template <typename Fn> bool resolve(Fn &slot, const char *name);
    // The entry points, or PrinterUnavailable when the library is not usable.
    const EntryPoints &use() const;
    short callWithBuffer(FnBuffer call, QString &buffer);

    QString path;
    QLibrary library;
    EntryPoints fn;
    bool loaded = false;
    QString error;
};
