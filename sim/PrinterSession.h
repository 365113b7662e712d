#pragma once

#include "PrinterModel.h"

#include <functional>

// Printing calls feel paper faults and delays; queries answer whatever the paper; the status
// call reads back what the previous call left and leaves it as it was.
enum class CallKind { Printing, Query, Status };

// One library call from start to end: takes the printer for this process, applies the fault
// rules, loads the fiscal memory, lets work act on the model, saves the memory, then prints.
short runCall(const char *entryPoint, CallKind kind,
              const std::function<Outcome(PrinterModel &)> &work);
