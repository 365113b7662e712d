#include "printer/LibraryPrinter.h"

#include "printer/Ansi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <memory>

#ifdef _WIN32
#include <windows.h>
#endif

LibraryPrinter::LibraryPrinter(const QString &libraryPath) : path(libraryPath) {
    load();
}

QString LibraryPrinter::defaultLibraryPath() {
    if (!qEnvironmentVariableIsEmpty("FISCAL_PRINTER_LIBRARY"))
        return qEnvironmentVariable("FISCAL_PRINTER_LIBRARY");
#ifdef _WIN32
    // Only the program's own directory and the system directory: a DLL planted in the current
    // directory or on PATH must never be the one that prints fiscal documents.
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/BEMAFI32.DLL");
    if (QFileInfo::exists(beside))
        return beside;
    wchar_t directory[MAX_PATH];
    const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return QDir::fromNativeSeparators(QString::fromWCharArray(directory, int(length))) +
               QStringLiteral("/BEMAFI32.DLL");
    return beside;
#else
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libvirtual-fiscal-printer.so");
#endif
}

template <typename Fn> bool LibraryPrinter::resolve(Fn &slot, const char *name) {
    slot = reinterpret_cast<Fn>(library.resolve(name));
    if (slot)
        return true;
    error = QStringLiteral("La librería de la impresora fiscal «%1» no tiene el punto de "
                           "entrada %2.")
                .arg(path, QString::fromLatin1(name));
    return false;
}

void LibraryPrinter::load() {
    // An absolute name keeps the loader from searching its own list of directories.
    const QString absolute = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    if (absolute.isEmpty() || !QFileInfo(absolute).isFile()) {
        error = QStringLiteral("No se pudo cargar la librería de la impresora fiscal «%1»: el "
                               "archivo no existe.")
                    .arg(path);
        return;
    }
    library.setFileName(absolute);
    if (!library.load()) {
        error = QStringLiteral("No se pudo cargar la librería de la impresora fiscal «%1»: %2")
                    .arg(path, library.errorString());
        return;
    }
    const bool all = resolve(fn.AbreComprobanteDeVentaEx, "Bematech_FI_AbreComprobanteDeVentaEx") &&
                     resolve(fn.VendeArticulo, "Bematech_FI_VendeArticulo") &&
                     resolve(fn.IniciaCierreCupon, "Bematech_FI_IniciaCierreCupon") &&
                     resolve(fn.EfectuaFormaPago, "Bematech_FI_EfectuaFormaPago") &&
                     resolve(fn.FinalizarCierreCupon, "Bematech_FI_FinalizarCierreCupon") &&
                     resolve(fn.NumeroCupon, "Bematech_FI_NumeroCupon") &&
                     resolve(fn.NumeroReducciones, "Bematech_FI_NumeroReducciones") &&
                     resolve(fn.NumeroIntervenciones, "Bematech_FI_NumeroIntervenciones") &&
                     resolve(fn.AccionaGaveta, "Bematech_FI_AccionaGaveta") &&
                     resolve(fn.AbreNotaDeCredito, "Bematech_FI_AbreNotaDeCredito") &&
                     resolve(fn.CierraCuponReducido, "Bematech_FI_CierraCuponReducido") &&
                     resolve(fn.AnulaCupon, "Bematech_FI_AnulaCupon") &&
                     resolve(fn.LecturaX, "Bematech_FI_LecturaX") &&
                     resolve(fn.ReduccionZ, "Bematech_FI_ReduccionZ") &&
                     resolve(fn.NumeroSerie, "Bematech_FI_NumeroSerie") &&
                     resolve(fn.DatosUltimaReduccion, "Bematech_FI_DatosUltimaReduccion") &&
                     resolve(fn.ContadoresTotalizadoresNoFiscales,
                             "Bematech_FI_ContadoresTotalizadoresNoFiscales") &&
                     resolve(fn.NumeroSustituicionesPropietario,
                             "Bematech_FI_NumeroSustituicionesPropietario") &&
                     resolve(fn.LeerArchivoRetorno, "Bematech_FI_LeerArchivoRetorno") &&
                     resolve(fn.RetornoImpresora, "Bematech_FI_RetornoImpresora");
    if (!all) {
        // A library with a piece missing is not used at all, not even for what it has.
        fn = EntryPoints{};
        library.unload();
        return;
    }
    loaded = true;
}

const LibraryPrinter::EntryPoints &LibraryPrinter::use() const {
    if (!loaded)
        throw PrinterUnavailable(error);
    return fn;
}

short LibraryPrinter::callWithBuffer(FnBuffer call, QString &buffer) {
    // Exactly N spaces and the NUL: a library that writes past its answer space hits the end of
    // this allocation, where the sanitizers see it.
    const auto size = static_cast<std::size_t>(buffer.size());
    const std::unique_ptr<char[]> bytes(new char[size + 1]);
    std::memset(bytes.get(), ' ', size);
    bytes[size] = '\0';
    const short result = call(bytes.get());
    const void *nul = std::memchr(bytes.get(), '\0', size);
    const auto length = nul ? static_cast<const char *>(nul) - bytes.get() : qsizetype(size);
    buffer = Ansi::decode(QByteArray(bytes.get(), length));
    return result;
}

short LibraryPrinter::AbreComprobanteDeVentaEx(const QString &rif, const QString &nombre,
                                               const QString &direccion) {
    const auto &e = use();
    return e.AbreComprobanteDeVentaEx(Ansi::encode(rif).constData(),
                                      Ansi::encode(nombre).constData(),
                                      Ansi::encode(direccion).constData());
}

short LibraryPrinter::VendeArticulo(const QString &codigo, const QString &descripcion,
                                    const QString &alicuota, const QString &tipoCantidad,
                                    const QString &cantidad, short decimales,
                                    const QString &valorUnitario, const QString &tipoDescuento,
                                    const QString &valorDescuento) {
    const auto &e = use();
    return e.VendeArticulo(
        Ansi::encode(codigo).constData(), Ansi::encode(descripcion).constData(),
        Ansi::encode(alicuota).constData(), Ansi::encode(tipoCantidad).constData(),
        Ansi::encode(cantidad).constData(), decimales, Ansi::encode(valorUnitario).constData(),
        Ansi::encode(tipoDescuento).constData(), Ansi::encode(valorDescuento).constData());
}

short LibraryPrinter::IniciaCierreCupon(const QString &acrecimoDescuento, const QString &tipo,
                                        const QString &valor) {
    const auto &e = use();
    return e.IniciaCierreCupon(Ansi::encode(acrecimoDescuento).constData(),
                               Ansi::encode(tipo).constData(), Ansi::encode(valor).constData());
}

short LibraryPrinter::EfectuaFormaPago(const QString &formaPago, const QString &valor) {
    const auto &e = use();
    return e.EfectuaFormaPago(Ansi::encode(formaPago).constData(), Ansi::encode(valor).constData());
}

short LibraryPrinter::FinalizarCierreCupon(const QString &mensaje) {
    const auto &e = use();
    return e.FinalizarCierreCupon(Ansi::encode(mensaje).constData());
}

short LibraryPrinter::NumeroCupon(QString &buffer) {
    return callWithBuffer(use().NumeroCupon, buffer);
}

short LibraryPrinter::NumeroReducciones(QString &buffer) {
    return callWithBuffer(use().NumeroReducciones, buffer);
}

short LibraryPrinter::NumeroIntervenciones(QString &buffer) {
    return callWithBuffer(use().NumeroIntervenciones, buffer);
}

short LibraryPrinter::AccionaGaveta() {
    return use().AccionaGaveta();
}

short LibraryPrinter::AbreNotaDeCredito(const std::array<QString, 10> &textos) {
    const auto &e = use();
    std::array<QByteArray, 10> t;
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = Ansi::encode(textos[i]); // NUL-terminated by QByteArray
    return e.AbreNotaDeCredito(
        t[0].constData(), t[1].constData(), t[2].constData(), t[3].constData(), t[4].constData(),
        t[5].constData(), t[6].constData(), t[7].constData(), t[8].constData(), t[9].constData());
}

short LibraryPrinter::CierraCuponReducido(const QString &formaPago, const QString &mensaje) {
    const auto &e = use();
    return e.CierraCuponReducido(Ansi::encode(formaPago).constData(),
                                 Ansi::encode(mensaje).constData());
}

short LibraryPrinter::AnulaCupon() {
    return use().AnulaCupon();
}

short LibraryPrinter::LecturaX() {
    return use().LecturaX();
}

short LibraryPrinter::ReduccionZ(const QString &fecha, const QString &hora) {
    const auto &e = use();
    return e.ReduccionZ(Ansi::encode(fecha).constData(), Ansi::encode(hora).constData());
}

short LibraryPrinter::NumeroSerie(QString &buffer) {
    return callWithBuffer(use().NumeroSerie, buffer);
}

short LibraryPrinter::DatosUltimaReduccion(QString &buffer) {
    return callWithBuffer(use().DatosUltimaReduccion, buffer);
}

short LibraryPrinter::ContadoresTotalizadoresNoFiscales(QString &buffer) {
    return callWithBuffer(use().ContadoresTotalizadoresNoFiscales, buffer);
}

short LibraryPrinter::NumeroSustituicionesPropietario(QString &buffer) {
    return callWithBuffer(use().NumeroSustituicionesPropietario, buffer);
}

short LibraryPrinter::LeerArchivoRetorno(QString &buffer) {
    return callWithBuffer(use().LeerArchivoRetorno, buffer);
}

short LibraryPrinter::RetornoImpresora(short &ack, short &st1, short &st2) {
    return use().RetornoImpresora(&ack, &st1, &st2);
}
