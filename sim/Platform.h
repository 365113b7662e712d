#pragma once

#include <string>

// What the virtual printer needs from the operating system, one file per system
// (platform/Posix.cpp, platform/Windows.cpp). Paths are UTF-8 with '/' separators.
namespace platform {

// The variable's value, empty when it is not set.
std::string environment(const char *name);
std::string currentDirectory();
bool makeDirectories(const std::string &path);

enum class ReadResult { Done, Missing, Failed };
ReadResult readFile(const std::string &path, std::string *bytes);
bool appendToFile(const std::string &path, const std::string &bytes);
// Writes a temporary file beside path, flushes it to disk and renames it over path, so that
// a reader or a process killed half-way sees the old content or the new one, never a mix.
bool replaceFile(const std::string &path, const std::string &bytes);

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
LocalTime localNow();
void sleepMs(int ms);

// Serialises the calls of one process's threads.
void lockThreads();
void unlockThreads();

// An advisory lock on a file shared by every process using the same printer. The system
// releases it when the process dies, so a crash leaves no stale lock behind.
class FileLock {
public:
    explicit FileLock(const std::string &path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool tryLock(); // without waiting
    void unlock();

private:
    std::string path;
    long long handle = -1;
};

} // namespace platform
