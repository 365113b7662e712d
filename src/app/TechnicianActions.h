#pragma once

#include "commands/CommandLine.h"
#include "core/ExitCode.h"

#include <QString>

class QTextStream;

namespace robot {

class FiscalPrinter;
struct ReconciliationSources;
struct Settings;

// robot-fiscal --version's line.
QString versionLine();

// Where a station's reconciliation reads, from its settings.
ReconciliationSources reconciliationSources(const Settings &settings);

// robot-fiscal --conciliar on the station in `directory`: nothing printed.
ExitCode reconcileStationAt(const QString &directory, const CommandLine &line, QTextStream &out);

// robot-fiscal --estado on the station in `directory`: every station of its server, or on a
// file database its own print journal.
ExitCode showStatusAt(const QString &directory, QTextStream &out);

// robot-fiscal --paquete-soporte: also, and above all, for a station that does not start.
ExitCode writeSupportBundleOf(const QString &directory, const QString &archive, QTextStream &out);
// The window's: of the station running in this process with `running` settings, on the printer
// and with the locks it holds.
ExitCode writeSupportBundleOf(const Settings &running, FiscalPrinter &printer,
                              const QString &archive, QTextStream &out);

} // namespace robot
