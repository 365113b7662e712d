#pragma once

namespace robot {

namespace platform {

// Files the station creates (log, journal, lock) are never writable by every user, whatever
// the umask it was started with.
void keepNewFilesFromOthers();

} // namespace platform

} // namespace robot
