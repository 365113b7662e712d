#pragma once

namespace robot {

class OperatorMessages;
class Station;
class StationLog;

// Runs the station without a window. Operator messages go to standard error. With
// `exitWhenIdle` the program ends with 0 once a tick finds nothing pending, and with 3 once a
// failure has stopped the robot, the documents cannot be read, or pending documents remain
// that the station will not print without the operator. Without it the program runs until it
// is stopped, and a robot stopped by a failure starts again by itself, further apart each time.
// `messages` and `log` are the station's own.
int runHeadless(Station &station, OperatorMessages &messages, StationLog &log, bool exitWhenIdle);

} // namespace robot
