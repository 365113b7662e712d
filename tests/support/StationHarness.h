#pragma once

#include "app/Station.h"
#include "core/StationLog.h"
#include "support/DocumentFixture.h"
#include "support/InstantClock.h"
#include "support/RecordingMessages.h"
#include "support/RecordingPrinter.h"
#include "support/StationProgram.h"

#include <QTemporaryDir>
#include <memory>

namespace robot {

// A real station on a temporary SQLite document database (or the server database
// `serverAddress` names) and the virtual printer, with recorded operator messages and an
// instant clock.
class StationHarness {
public:
    explicit StationHarness(const QString &serverAddress = {});
    ~StationHarness();

    // Builds the station (Caja `caja`) on `library`, the virtual printer when empty.
    void create(int caja = 1, const QString &library = {});
    // Builds it and runs its first activation.
    void start(int caja = 1, const QString &library = {});
    // Runs robot ticks while the robot runs, until a tick finds nothing pending.
    void runUntilIdle(int maxTicks = 30);

    QString paper() const; // the virtual printer's paper roll
    void setFaults(const QString &rules) const { writeFaults(printerDir.path(), rules); }
    QVariant field(const QString &table, int codigo, const QString &column);

    DocumentFixture docs;
    QTemporaryDir printerDir;
    RecordingMessages messages;
    InstantClock clock;
    StationLog log;
    AlertSettings alerts;                // robot-fiscal.ini's [Avisos], for the next create()
    RecordingPrinter *printer = nullptr; // owned by the station
    std::unique_ptr<Station> station;
};

} // namespace robot
