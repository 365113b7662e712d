#include "Platform.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace platform {

namespace {

std::wstring wide(const std::string &utf8) {
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(const wchar_t *text, int length) {
    if (length <= 0)
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

bool writeAll(HANDLE file, const std::string &bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        if (!WriteFile(file, bytes.data() + done, DWORD(bytes.size() - done), &n, nullptr) ||
            n == 0)
            return false;
        done += n;
    }
    return true;
}

SRWLOCK threads = SRWLOCK_INIT;

} // namespace

std::string environment(const char *name) {
    const std::wstring key = wide(name);
    const DWORD n = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    if (n == 0)
        return {};
    std::vector<wchar_t> value(n);
    const DWORD got = GetEnvironmentVariableW(key.c_str(), value.data(), n);
    return got < n ? narrow(value.data(), int(got)) : std::string();
}

std::string currentDirectory() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> path(n + 1);
    const DWORD got = GetCurrentDirectoryW(n + 1, path.data());
    return got > 0 && got <= n ? narrow(path.data(), int(got)) : ".";
}

bool makeDirectories(const std::string &path) {
    for (std::size_t cut = path.find_first_of("/\\", 1);;
         cut = path.find_first_of("/\\", cut + 1)) {
        const std::string part = path.substr(0, cut);
        // "C:" alone is a drive, not a directory to create.
        if (!(part.size() == 2 && part[1] == ':'))
            CreateDirectoryW(wide(part).c_str(), nullptr);
        if (cut == std::string::npos)
            break;
    }
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ReadResult readFile(const std::string &path, std::string *bytes) {
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                              : ReadResult::Failed;
    }
    bytes->clear();
    char buffer[8192];
    DWORD n = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &n, nullptr)) && n > 0)
        bytes->append(buffer, n);
    CloseHandle(file);
    return ok ? ReadResult::Done : ReadResult::Failed;
}

bool appendToFile(const std::string &path, const std::string &bytes) {
    const HANDLE file = CreateFileW(wide(path).c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool written = writeAll(file, bytes);
    return CloseHandle(file) && written;
}

bool replaceFile(const std::string &path, const std::string &bytes) {
    const std::wstring target = wide(path);
    const std::wstring temp = target + L".tmp";
    const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool written = writeAll(file, bytes) && FlushFileBuffers(file);
    if (!CloseHandle(file) || !written ||
        !MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

LocalTime localNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void sleepMs(int ms) {
    Sleep(DWORD(ms));
}

void lockThreads() {
    AcquireSRWLockExclusive(&threads);
}

void unlockThreads() {
    ReleaseSRWLockExclusive(&threads);
}

FileLock::FileLock(const std::string &path) : path(path) {}

FileLock::~FileLock() {
    unlock();
}

bool FileLock::tryLock() {
    if (handle >= 0)
        return true;
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        CloseHandle(file);
        return false;
    }
    handle = reinterpret_cast<std::intptr_t>(file);
    return true;
}

void FileLock::unlock() {
    if (handle < 0)
        return;
    const HANDLE file = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle));
    OVERLAPPED whole{};
    UnlockFileEx(file, 0, 1, 0, &whole);
    CloseHandle(file);
    handle = -1;
}

} // namespace platform
