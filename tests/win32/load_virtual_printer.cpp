// load-virtual-printer DLL: resolves every entry point of the table in the DLL and asks for
// the serial number. Exit 0 when all resolve and the printer answers.
#include "printer/EntryPoints.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

using namespace robot::fiscal;

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: load-virtual-printer DLL\n");
        return 2;
    }
    const HMODULE library = LoadLibraryA(argv[1]);
    if (!library) {
        std::fprintf(stderr, "LoadLibrary failed: error %lu\n", GetLastError());
        return 1;
    }
    int missing = 0;
    for (int i = 0; i < entryPointCount; ++i) {
        if (!GetProcAddress(library, symbolOf(EntryPoint(i)))) {
            std::fprintf(stderr, "missing %s\n", symbolOf(EntryPoint(i)));
            ++missing;
        }
    }
    const auto serial = reinterpret_cast<FnBuffer>(
        reinterpret_cast<void *>(GetProcAddress(library, symbolOf(EntryPoint::NumeroSerie))));
    char answer[16];
    std::memset(answer, ' ', 15);
    answer[15] = '\0';
    const short code = serial ? serial(answer) : 0;
    std::printf("%d entry points resolved; NumeroSerie returned %d: [%s]\n",
                entryPointCount - missing, code, answer);
    return missing == 0 && code == 1 && answer[0] != ' ' ? 0 : 1;
}
