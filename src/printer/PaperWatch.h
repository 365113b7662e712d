#pragma once

#include "printer/FiscalPrinter.h"

#include <QString>
#include <functional>
#include <memory>

namespace robot {

// The paper as the printer's status last showed it, for the station's status row. Passes
// every call on unchanged and reads only the status reads the station makes anyway, so it
// never asks the printer anything of its own.
class PaperWatch : public FiscalPrinter {
public:
    explicit PaperWatch(std::unique_ptr<FiscalPrinter> printer) : inner(std::move(printer)) {}

    short call(robot::fiscal::RawCall &call) override;

    // "normal", "poco papel", "sin papel"; "desconocido" until a status was read.
    QString paper() const { return state; }
    // Called when a status read shows the paper otherwise than before.
    std::function<void()> paperChanged;

private:
    std::unique_ptr<FiscalPrinter> inner;
    QString state = QStringLiteral("desconocido");
};

} // namespace robot
