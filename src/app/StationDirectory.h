#pragma once

#include "core/Result.h"

#include <QString>

namespace robot {

// The directory that holds ImpresorFiscal.inf and becomes the working directory: `given` (--dir)
// when not empty; else the program's own directory when the configuration is there (a station
// copied as one folder, a build tree); else, for a program installed with the system's other
// programs, the user's data directory (~/.local/share/robot-fiscal). Needs the application
// object, whose name picks the data directory.
QString stationDirectory(const QString &given);

// Whether `directory` holds a station's configuration; else the operator's message: this
// computer has no station, the technician sets it up.
Result<void> stationConfigured(const QString &directory);

} // namespace robot
