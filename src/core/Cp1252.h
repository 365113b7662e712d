#pragma once

#include <string>
#include <string_view>

namespace robot {

// Windows-1252, the ANSI code page of the printer library, without Qt: the virtual printer and
// the bridge are built where there is none.
namespace cp1252 {

// UTF-8 to Windows-1252. Unicode spaces become a space or a no-break space; any other character
// the code page cannot carry, or a malformed UTF-8 sequence, becomes '?'.
std::string fromUtf8(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined pass through as the
// control characters of the same number, as Windows does.
std::string toUtf8(std::string_view bytes);

} // namespace cp1252

} // namespace robot
