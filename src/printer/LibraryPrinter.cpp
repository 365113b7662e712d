#include "printer/LibraryPrinter.h"

#include "platform/PrinterLibraryLocation.h"

#include <QFileInfo>

namespace robot {

LibraryPrinter::LibraryPrinter(const QString &libraryPath) : path(libraryPath) {
    load();
}

QString LibraryPrinter::defaultLibraryPath() {
    return robot::platform::printerLibraryPath();
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
    // A library with a piece missing is not used at all, not even for what it has.
    if (const char *missing = robot::fiscal::resolveAll(
            table, [&](const char *symbol) { return library.resolve(symbol); })) {
        error = QStringLiteral("La librería de la impresora fiscal «%1» no tiene el punto de "
                               "entrada %2.")
                    .arg(path, QString::fromLatin1(missing));
        library.unload();
        return;
    }
    loaded = true;
}

PrinterReply LibraryPrinter::call(robot::fiscal::RawCall &call) {
    if (!loaded)
        return PrinterReply::failed(PrinterReply::Fault::Unavailable, error);
    short result = 0;
    calls.run([&] { result = robot::fiscal::invoke(table, call); });
    return PrinterReply::of(result);
}

} // namespace robot
