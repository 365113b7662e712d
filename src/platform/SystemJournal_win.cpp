#include "platform/SystemJournal.h"

namespace robot {

namespace platform {

// Windows has no systemd journal; the station's own log file is the record there.
bool stderrIsJournal() {
    return false;
}

} // namespace platform

} // namespace robot
