#include "Platform.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <memory>

namespace robot::bridge {

namespace {

std::string utf8(const std::wstring &text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(std::size_t(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
}

// The last argument as the station wrote it, in UTF-16 (argv would lose what the ANSI code page
// cannot hold).
std::wstring libraryArgument() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> args(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    return args && count == 2 ? std::wstring(args.get()[1]) : std::wstring();
}

std::wstring ownDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::wstring directory(path, length);
    const auto slash = directory.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : directory.substr(0, slash + 1);
}

// "C:\...", "\\server\..." or rooted "\..." ("/..." under Wine): never looked up in any search
// list. Anything else is a name in the bridge's own directory.
bool isAbsolute(const std::wstring &path) {
    return (path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
}

} // namespace

std::FILE *protocolOutput() {
    _setmode(_fileno(stdin), _O_BINARY);
    const int replies = _dup(_fileno(stdout));
    _dup2(_fileno(stderr), _fileno(stdout));
    SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
    std::FILE *out = replies >= 0 ? _fdopen(replies, "wb") : nullptr;
    if (!out)
        return stdout;
    _setmode(replies, _O_BINARY);
    return out;
}

std::string loadLibrary(int argc, char **, fiscal::FunctionTable &table) {
    const std::wstring argument = libraryArgument();
    if (argc != 2 || argument.empty())
        return "Uso: robot-fiscal-printer-bridge LIBRERÍA";
    // Only a full path is loaded; anything else is taken from the bridge's own directory, never
    // from the current directory or PATH.
    const std::wstring path = isAbsolute(argument) ? argument : ownDirectory() + argument;
    const std::string shown = utf8(argument);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return cannotLoad(shown, "el archivo no existe.");
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
    HMODULE library = LoadLibraryExW(
        path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library)
        return cannotLoad(shown, "error de Windows " + std::to_string(GetLastError()) + ".");
    if (const char *missing = fiscal::resolveAll(
            table, [&](const char *symbol) { return GetProcAddress(library, symbol); })) {
        FreeLibrary(library);
        return lacksEntryPoint(shown, missing);
    }
    return {};
}

} // namespace robot::bridge
