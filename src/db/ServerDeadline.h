#pragma once

#include <QtGlobal>

class QSqlDatabase;

namespace robot {

// A server that takes connections but never answers (stopped, hung) would hold the station
// inside the driver for good: the server's own statement_timeout cannot fire there, and a
// kernel that still acknowledges packets defeats the TCP time limits. While a deadline lives,
// a watcher thread shuts the connection's socket down once the limit has passed; the statement
// then fails and the connection reads as closed, as after a cut. Armed around the statements
// only: a socket closed and reused while armed could be another's. Does nothing on a file.
class ServerDeadline {
public:
    // A little more than the server's own statement_timeout, which answers first when it can.
    static constexpr int kLimitMs = 11000;

    explicit ServerDeadline(const QSqlDatabase &db);
    ~ServerDeadline();
    ServerDeadline(const ServerDeadline &) = delete;
    ServerDeadline &operator=(const ServerDeadline &) = delete;

    // The limit passed and the connection was cut.
    bool expired() const;

private:
    quint64 id = 0; // 0: not armed
};

} // namespace robot
