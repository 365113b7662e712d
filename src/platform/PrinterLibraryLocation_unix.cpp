#include "platform/PrinterLibraryLocation.h"

#include <QCoreApplication>

namespace robot::platform {

// The virtual printer built next to the executables.
QString defaultPrinterLibrary() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libvirtual-fiscal-printer.so");
}

// The library loads in process unless FISCAL_PRINTER_BRIDGE asks for the bridge.
QStringList defaultPrinterBridge() {
    return {};
}

void prepareBridgeProcess(QProcess &) {}

} // namespace robot::platform
