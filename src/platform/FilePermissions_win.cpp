#include "platform/FilePermissions.h"

namespace robot {

namespace platform {

// New files inherit the folder's access list on Windows; there is no umask to correct.
void keepNewFilesFromOthers() {}

} // namespace platform

} // namespace robot
