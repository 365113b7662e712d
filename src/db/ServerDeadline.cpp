#include "db/ServerDeadline.h"

#include "platform/ServerSocket.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace robot {

namespace {

using Clock = std::chrono::steady_clock;

class Watcher {
public:
    Watcher() : thread([this] { watch(); }) {}
    ~Watcher() {
        {
            const std::lock_guard lock(mutex);
            stopping = true;
        }
        wakeUp.notify_all();
        thread.join();
    }

    quint64 arm(qintptr socket) {
        const std::lock_guard lock(mutex);
        armed[++last] = {socket, Clock::now() + std::chrono::milliseconds(ServerDeadline::kLimitMs),
                         false};
        wakeUp.notify_all();
        return last;
    }
    void disarm(quint64 id) {
        const std::lock_guard lock(mutex);
        armed.erase(id);
    }
    bool expired(quint64 id) {
        const std::lock_guard lock(mutex);
        const auto it = armed.find(id);
        return it != armed.end() && it->second.expired;
    }

private:
    struct Entry {
        qintptr socket;
        Clock::time_point deadline;
        bool expired;
    };

    void watch() {
        std::unique_lock lock(mutex);
        while (!stopping) {
            const Clock::time_point now = Clock::now();
            Clock::time_point next = Clock::time_point::max();
            for (auto &[id, entry] : armed) {
                if (entry.expired)
                    continue;
                if (entry.deadline <= now) {
                    platform::shutDownSocket(entry.socket);
                    entry.expired = true;
                } else if (entry.deadline < next) {
                    next = entry.deadline;
                }
            }
            if (next == Clock::time_point::max())
                wakeUp.wait(lock);
            else
                wakeUp.wait_until(lock, next);
        }
    }

    std::mutex mutex;
    std::condition_variable wakeUp;
    std::map<quint64, Entry> armed;
    quint64 last = 0;
    bool stopping = false;
    std::thread thread; // last: starts once the rest is ready
};

Watcher &watcher() {
    static Watcher kept;
    return kept;
}

} // namespace

ServerDeadline::ServerDeadline(const QSqlDatabase &db) {
    if (db.driverName() != QStringLiteral("QPSQL") || !db.isOpen())
        return;
    const QVariant handle = db.driver()->handle();
    // libpq's PGconn*, which Qt names by the struct behind the typedef.
    const char *type = handle.typeName();
    if (!handle.isValid() || (qstrcmp(type, "pg_conn*") != 0 && qstrcmp(type, "PGconn*") != 0))
        return;
    const qintptr socket = platform::libpqSocket(*static_cast<void *const *>(handle.constData()));
    if (socket >= 0)
        id = watcher().arm(socket);
}

ServerDeadline::~ServerDeadline() {
    if (id != 0)
        watcher().disarm(id);
}

bool ServerDeadline::expired() const {
    return id != 0 && watcher().expired(id);
}

} // namespace robot
