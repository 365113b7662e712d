#include "platform/FilePermissions.h"

#include <sys/stat.h>

namespace robot {

namespace platform {

void keepNewFilesFromOthers() {
    ::umask(::umask(0) | S_IWOTH);
}

} // namespace platform

} // namespace robot
