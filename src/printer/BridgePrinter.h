#pragma once

#include "printer/FiscalPrinter.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace robot {

enum class LogLevel;

// The printer library in a bridge program of its own (robot-fiscal-printer-bridge), reached
// over its pipes: the 32-bit vendor library cannot load into the 64-bit station, and a library
// that hangs or crashes takes only the bridge down. A call that gets no reply in time, or
// whose bridge died, comes back with that fault and its words; the bridge is killed and started
// again for the next call. The log hears every failure; the
// operator hears of it from whoever made the call.
class BridgePrinter : public FiscalPrinter {
public:
    // command: the bridge's program and its first arguments; the library path goes last.
    BridgePrinter(const QStringList &command, const QString &libraryPath,
                  std::function<void(LogLevel, const QString &)> log = {});
    ~BridgePrinter() override;

    // How long a call waits: 60 s, or FISCAL_PRINTER_BRIDGE_TIMEOUT_MS when it is a decimal
    // number of at least a second (else the log says it was refused).
    static constexpr int kDefaultTimeoutMs = 60000;
    static constexpr int kMinimumTimeoutMs = 1000;
    static std::optional<int> timeoutFrom(const QByteArray &text);
    void setTimeoutMs(int ms) { timeoutMs = ms; }
    // The failure that started the episode the bridge is in; empty while it answers.
    QString failure() const { return episode; }

    PrinterReply call(robot::fiscal::RawCall &call) override;

private:
    // Empty when the bridge runs; otherwise why it cannot be started.
    QString start();
    void stop();
    PrinterReply fail(PrinterReply::Fault fault, const QString &what);
    bool takeReply(QByteArray &payload);

    QStringList command;
    QString libraryPath;
    std::function<void(LogLevel, const QString &)> log;
    int timeoutMs;
    QProcess process;
    QByteArray received;
    QString episode;
    bool busy = false;
    bool stopping = false;      // the station itself ends the bridge
    std::uint32_t requests = 0; // the last request's number
};

} // namespace robot
