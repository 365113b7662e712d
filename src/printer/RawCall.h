#pragma once

// One call of a library entry point as plain bytes, and the code that makes it through the
// library's C pointers. Qt-free: the in-process binding and the bridge program share it.

#include "printer/EntryPoints.h"

#include <array>
#include <string>
#include <vector>

namespace robot {

namespace fiscal {

struct RawCall {
    EntryPoint entryPoint = EntryPoint::AccionaGaveta;
    std::vector<std::string> texts;  // Windows-1252 bytes, textCountOf(shapeOf(entryPoint)) of them
    short decimals = 0;              // VendeArticulo's short
    std::string buffer;              // exactly N bytes in, the N bytes the library left out
    short ack = 0, st1 = 0, st2 = 0; // RetornoImpresora's by-reference shorts, in and out
};

// What the platform loader hands back for a symbol; cast to the shape's type before calling.
using AnyFunction = void (*)();

struct FunctionTable {
    std::array<AnyFunction, entryPointCount> slot{};
};

// Fills every slot through find(symbol). All or nothing: on the first symbol missing the table
// is cleared and that symbol is returned; nullptr when all were found.
template <typename Find> const char *resolveAll(FunctionTable &table, Find find) {
    for (int i = 0; i < entryPointCount; ++i) {
        const char *symbol = symbolOf(EntryPoint(i));
        table.slot[std::size_t(i)] = reinterpret_cast<AnyFunction>(find(symbol));
        if (!table.slot[std::size_t(i)]) {
            table = FunctionTable{};
            return symbol;
        }
    }
    return nullptr;
}

// Calls the entry point with the call's arguments and returns the library's code. Missing
// texts go as empty strings. A buffer goes as its N bytes and a NUL in an allocation of exactly
// that size, so a library writing past it shows under the sanitizers.
short invoke(const FunctionTable &table, RawCall &call);

} // namespace fiscal

} // namespace robot
