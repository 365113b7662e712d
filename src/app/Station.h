#pragma once

#include "app/AlertCommand.h"
#include "app/Configuration.h"
#include "app/Preparation.h"
#include "app/Robot.h"
#include "app/StationAlerts.h"
#include "core/Result.h"
#include "db/PendingSources.h"
#include "db/PrintJournal.h"

#include <QString>
#include <functional>
#include <memory>

namespace robot {

class OperatorMessages;
class Clock;
class StationLog;
class FiscalPrinter;
class PrintingProcedures;
class ScheduledZReport;
class StatusPublisher;

// Start-up: reads the configuration in `directory` and checks the data directory. On refusal
// the error is the operator's text and the program must end.
Result<Settings> startStation(const QString &directory);

// The robot's state and the scheduled Z's, in a line for the operator.
QString stationStatusText(const Robot &robot, const ScheduledZReport &zReport);

// Everything one run of the station owns: the settings, the data sources, the printer, the
// robot and its printing procedures. Both front ends (window, headless) build one.
class Station {
public:
    Station(const Settings &settings, OperatorMessages &messages, Clock &clock, StationLog &log,
            std::unique_ptr<FiscalPrinter> printer);
    ~Station();

    // The database part of the first activation: reads the configuration record, sets
    // ModoCantidad, refreshes the lists. An incomplete preparation keeps the robot stopped
    // and tells the operator once. A database that cannot be read yet is tried again, further
    // apart each time, and the robot starts once it reads (`waiting` meanwhile). Later calls
    // do nothing and return the first result.
    const Preparation &prepare();
    // Runs when the preparation completes, at once or after the database answered.
    std::function<void(const Preparation &)> whenPrepared;
    bool prepared() const { return firstActivationDone; }

    // The system's request to end (systemctl stop, a shutdown) ends the program with status 0
    // once the document in progress is finished, never in the middle of one.
    void endOnTerminationRequest();
    // The system's request to end was carried out. A request during start-up comes before
    // the event loop runs, where asking the loop to end does nothing: the front end looks.
    bool ended() const { return endDone; }

    // The print journal lives beside the configuration; without it nothing may be printed.
    bool journalReady() const { return journalError.isEmpty(); }
    QString journalProblem() const { return journalError; }

    // For the front ends that build the window and the headless run out of these parts.
    const Settings &settings() const { return stationSettings; }
    Robot &robot() { return stationRobot; }
    PendingSources &sources() { return pendingSources; }
    PrintJournal &journal() { return printJournal; }
    FiscalPrinter &printer() { return *watchedPrinter; }
    StationAlerts &alerts() { return stationAlerts; }
    ScheduledZReport &zReport() { return *scheduledZ; }

private:
    const Settings stationSettings;
    OperatorMessages &messages;
    Clock &clock;
    StationLog &log;
    PendingSources pendingSources;
    PrintJournal printJournal;
    std::unique_ptr<FiscalPrinter> watchedPrinter; // watched for the alerts
    Robot stationRobot;
    StationAlerts stationAlerts;
    // The day's Z report at the time robot-fiscal.ini gives ([ReporteZ] Hora); off without it.
    std::unique_ptr<ScheduledZReport> scheduledZ;

    void readConfiguration();
    // Printing waits for a journal it can write: opened again, further apart each time, until
    // it opens (a lock let go, the file writable again, a lost journal put back).
    void waitForJournal();
    QString journalPath() const;
    std::unique_ptr<PrintingProcedures> printing;
    AlertCommand alertCommand;
    int configurationFailures = 0;
    int journalFailures = 0;
    QString journalError;
    Preparation preparation;
    bool firstActivationDone = false;
    bool endDone = false;
    // On a database server only: this station's row there.
    std::unique_ptr<StatusPublisher> status;
};

} // namespace robot
