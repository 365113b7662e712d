#pragma once

#include "printer/FiscalPrinter.h"

#include <QRegularExpression>
#include <QStringList>
#include <functional>
#include <memory>

namespace robot {

// Passes every call on to a real printer and records it as "Name(arg|arg|...)" (a buffer as
// its size), so tests can check the exact arguments the station sent.
class RecordingPrinter : public FiscalPrinter {
public:
    explicit RecordingPrinter(std::unique_ptr<FiscalPrinter> real) : real(std::move(real)) {}

    QStringList calls;
    // Runs after every call with its recorded text: lets a test change the printer mid-document.
    std::function<void(const QString &)> afterCall;
    // Runs after every call, before afterCall: lets a test change what the printer answered.
    std::function<void(const QString &, robot::fiscal::RawCall &)> changeReply;
    QStringList callsTo(const QString &name) const;
    // The arguments of every item line sent, joined by '|'.
    QStringList itemArguments() const;

    PrinterReply call(robot::fiscal::RawCall &call) override;

private:
    std::unique_ptr<FiscalPrinter> real;
};

} // namespace robot
