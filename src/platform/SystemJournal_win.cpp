#include "platform/SystemJournal.h"

namespace robot::platform {

// Windows has no systemd journal; the station's own log file is the record there.
bool stderrIsJournal() {
    return false;
}

} // namespace robot::platform
