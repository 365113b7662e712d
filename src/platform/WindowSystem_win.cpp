#include "platform/WindowSystem.h"

namespace robot {

namespace platform {

// A Windows session always has its desktop.
QString missingDisplay() {
    return {};
}

} // namespace platform

} // namespace robot
