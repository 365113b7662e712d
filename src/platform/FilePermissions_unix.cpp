#include "platform/FilePermissions.h"

#include <sys/stat.h>

namespace robot::platform {

void keepNewFilesFromOthers() {
    ::umask(::umask(0) | S_IWOTH);
}

} // namespace robot::platform
