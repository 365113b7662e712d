#pragma once

#include "frmImprimirFacturaROBOT.h"

namespace robot {

class Station;

// What the window of `station` shows and drives; `messages`, `clock` and `log` are the
// station's own.
WindowParts windowParts(Station &station, OperatorMessages &messages, const Clock &clock,
                        StationLog &log);

// Runs the station with its window: builds and shows it, takes it to the notification area
// at the first activation and returns the event loop's result when the program ends. Needs a
// QApplication.
int runWindowedStation(Station &station, OperatorMessages &messages, const Clock &clock,
                       StationLog &log);

} // namespace robot
