#pragma once

#include <QString>
#include <QtGlobal>

namespace robot {

class PendingSources;
class FiscalPrinter;
class Clock;
class RobotControl;
class StationLog;
class PrintJournal;

// What a printing procedure works with; all owned by the station for the whole run.
struct PrintingContext {
    QString RutaBaseDatos;
    qint32 Caja = 0;
    PendingSources &sources; // Data5 and Data6
    FiscalPrinter &printer;
    Clock &clock;
    RobotControl &robot;
    StationLog &log;
    PrintJournal &journal;
};

} // namespace robot
