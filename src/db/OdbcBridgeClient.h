#pragma once

#include "core/Result.h"
#include "db/OdbcBridgeProtocol.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

namespace robot {

// The station's end of a database bridge (robot-fiscal-printer-bridge --odbc): one process per
// connection, one request at a time, each answered within the statement limit or the bridge is
// killed. A killed or dead bridge leaves the connection lost; whoever opens the next one starts
// a new bridge. Calls block like an in-process driver's.
class OdbcBridgeClient {
public:
    // Like the server's statement_timeout.
    static constexpr int kLimitMs = 10000;

    OdbcBridgeClient();
    ~OdbcBridgeClient();
    OdbcBridgeClient(const OdbcBridgeClient &) = delete;
    OdbcBridgeClient &operator=(const OdbcBridgeClient &) = delete;

    // Starts `command` (program and arguments); why not, when it cannot run.
    Result<void> start(const QStringList &command);
    bool running() const { return process.state() == QProcess::Running; }
    // Closes the bridge's input (it ends by itself), killing it if it lingers.
    void stop();

    // The bridge's reply to `request` (numbered here); why not, when none came in time, it was
    // unreadable or the bridge died: the bridge is then gone.
    Result<bridge::DbReply> ask(bridge::DbRequest request);

private:
    // A whole reply's payload taken from what was received, nothing while it is incomplete;
    // why not, when what came cannot be a reply.
    Result<std::optional<QByteArray>> takeReply();
    void kill();

    QProcess process;
    QByteArray received;
    std::uint32_t requests = 0;
};

} // namespace robot
