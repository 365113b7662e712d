#include "Platform.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool writeAll(int fd, const std::string &bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

std::mutex threads;

} // namespace

std::string environment(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::string currentDirectory() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? buffer : ".";
}

bool makeDirectories(const std::string &path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

ReadResult readFile(const std::string &path, std::string *bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    bytes->clear();
    char buffer[8192];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            bytes->append(buffer, std::size_t(n));
    ::close(fd);
    return n == 0 ? ReadResult::Done : ReadResult::Failed;
}

bool appendToFile(const std::string &path, const std::string &bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes);
    return ::close(fd) == 0 && written;
}

bool replaceFile(const std::string &path, const std::string &bytes) {
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

LocalTime localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    ::localtime_r(&now, &t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

void sleepMs(int ms) {
    timespec wait{ms / 1000, (ms % 1000) * 1000000L};
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

void lockThreads() {
    threads.lock();
}

void unlockThreads() {
    threads.unlock();
}

FileLock::FileLock(const std::string &path) : path(path) {}

FileLock::~FileLock() {
    unlock();
}

bool FileLock::tryLock() {
    if (handle >= 0)
        return true;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    handle = fd;
    return true;
}

void FileLock::unlock() {
    if (handle < 0)
        return;
    ::flock(int(handle), LOCK_UN);
    ::close(int(handle));
    handle = -1;
}

} // namespace platform
