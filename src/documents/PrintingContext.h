#pragma once

#include <QString>

class PendingSources;
class FiscalPrinter;
class OperatorMessages;
class Clock;
class RobotControl;
class StationLog;

// What a printing procedure works with; all owned by the station for the whole run.
struct PrintingContext {
    QString RutaBaseDatos;
    PendingSources &sources; // Data5 and Data6
    FiscalPrinter &printer;
    OperatorMessages &messages;
    Clock &clock;
    RobotControl &robot;
    StationLog &log;
};
