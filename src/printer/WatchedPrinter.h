#pragma once

#include "printer/FiscalPrinter.h"

#include <functional>
#include <memory>

namespace robot {

// What the printer's answers to the station's own calls show, for the alerts: whether it
// answered at all, and the paper sensor of every status it returned.
struct PrinterObservation {
    bool answered = true;
    bool statusRead = false; // the paper fields hold the sensor of this answer
    bool paperLow = false;
    bool paperOut = false;
};

// Passes every call on to the printer and tells `observer` what the answer showed. Watching the
// calls the station makes anyway costs the printer nothing: it is never asked more.
class WatchedPrinter : public FiscalPrinter {
public:
    WatchedPrinter(std::unique_ptr<FiscalPrinter> printer,
                   std::function<void(const PrinterObservation &)> observer)
        : printer(std::move(printer)), observer(std::move(observer)) {}

    PrinterReply call(robot::fiscal::RawCall &call) override;

private:
    std::unique_ptr<FiscalPrinter> printer;
    std::function<void(const PrinterObservation &)> observer;
};

} // namespace robot
