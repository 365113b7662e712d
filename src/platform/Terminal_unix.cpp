#include "platform/Terminal.h"

#include <unistd.h>

namespace robot {

namespace platform {

bool standardInputIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

} // namespace platform

} // namespace robot
