#include "platform/Terminal.h"

#include <io.h>
#include <stdio.h>

namespace robot {

namespace platform {

bool standardInputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

} // namespace platform

} // namespace robot
