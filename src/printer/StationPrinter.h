#pragma once

#include "printer/FiscalPrinter.h"

#include <QString>
#include <functional>
#include <memory>

namespace robot {

enum class LogLevel;

// The printer the station uses: through the bridge program when the platform or
// FISCAL_PRINTER_BRIDGE asks for it, else the library loaded in process. An empty libraryPath
// means the configured one (FISCAL_PRINTER_LIBRARY or the platform's default). The bridge logs
// its failures to `log` when given.
std::unique_ptr<FiscalPrinter>
makeStationPrinter(const QString &libraryPath = {},
                   std::function<void(LogLevel, const QString &)> log = {});

} // namespace robot
