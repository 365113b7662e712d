#include "platform/WindowSystem.h"

namespace robot {

namespace platform {

// A Windows session always has its desktop.
Result<void> displayAvailable() {
    return {};
}

} // namespace platform

} // namespace robot
