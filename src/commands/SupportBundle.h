#pragma once

#include "core/Result.h"

#include <QString>

namespace robot {

// What the station says of itself, gathered by the caller: the --check report, the
// reconciliation's findings and summary, and --version.
struct SupportReports {
    QString check;
    QString reconciliation;
    QString version;
};

// Writes one archive a technician can send to support: the station's logs (the rotated ones
// too), ImpresorFiscal.inf, robot-fiscal.ini without its Clave, the three reports and a copy
// of the print journal. The reason when it cannot be written.
Result<void> writeSupportBundle(const QString &stationDirectory, const SupportReports &reports,
                                const QString &archive);

// robot-fiscal.ini as it can be sent: every Clave line left out, whatever its section or case.
QString withoutPasswords(const QString &ini);

} // namespace robot
