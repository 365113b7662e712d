#pragma once

#include "commands/CommandLine.h"
#include "core/ExitCode.h"

#include <QString>

class QTextStream;

namespace robot {

// robot-fiscal --version's line.
QString versionLine();

// robot-fiscal --conciliar on the station in `directory`: nothing printed.
ExitCode reconcileStationAt(const QString &directory, const CommandLine &line, QTextStream &out);

// robot-fiscal --paquete-soporte: also, and above all, for a station that does not start.
ExitCode writeSupportBundleOf(const QString &directory, const QString &archive, QTextStream &out);

} // namespace robot
