#include "printer/StationPrinter.h"

#include "platform/PrinterLibraryLocation.h"
#include "printer/BridgePrinter.h"
#include "printer/LibraryPrinter.h"

namespace robot {

std::unique_ptr<FiscalPrinter>
makeStationPrinter(const QString &libraryPath, std::function<void(LogLevel, const QString &)> log) {
    const QString library = libraryPath.isEmpty() ? platform::printerLibraryPath() : libraryPath;
    const QStringList bridge = platform::printerBridgeCommand();
    if (bridge.isEmpty())
        return std::make_unique<LibraryPrinter>(library);
    return std::make_unique<BridgePrinter>(bridge, library, std::move(log));
}

} // namespace robot
