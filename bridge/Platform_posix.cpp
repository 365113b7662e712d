#include "Platform.h"

#include <csignal>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace robot::bridge {

std::FILE *protocolOutput() {
    // A station that went away must end the bridge with a failed write, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    const int replies = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    std::FILE *out = replies >= 0 ? fdopen(replies, "wb") : nullptr;
    return out ? out : stdout;
}

std::string loadLibrary(int argc, char **argv, fiscal::FunctionTable &table) {
    if (argc != 2)
        return "Uso: robot-fiscal-printer-bridge LIBRERÍA";
    const std::string path = argv[1];
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return cannotLoad(path, "el archivo no existe.");
    // A path with a slash is never searched for; the station always passes one.
    const std::string named = path.find('/') == std::string::npos ? "./" + path : path;
    void *library = dlopen(named.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char *why = dlerror();
        return cannotLoad(path, why ? why : "error desconocido");
    }
    if (const char *missing =
            fiscal::resolveAll(table, [&](const char *symbol) { return dlsym(library, symbol); })) {
        dlclose(library);
        return lacksEntryPoint(path, missing);
    }
    return {};
}

} // namespace robot::bridge
