#pragma once

namespace robot {

class Station;

// Runs the station with its window: builds and shows it, takes it to the notification area
// at the first activation and returns the event loop's result when the program ends. Needs a
// QApplication.
int runWindowedStation(Station &station);

} // namespace robot
