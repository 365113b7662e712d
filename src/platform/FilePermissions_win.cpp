#include "platform/FilePermissions.h"

namespace robot::platform {

// New files inherit the folder's access list on Windows; there is no umask to correct.
void keepNewFilesFromOthers() {}

} // namespace robot::platform
