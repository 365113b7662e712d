#include "PrinterSession.h"

#include "FaultRules.h"
#include "Platform.h"
#include "PrinterLog.h"
#include "StateStore.h"

#include <cstdlib>

namespace {

std::string stateDirectory() {
    const std::string configured = platform::environment("VIRTUAL_PRINTER_DIR");
    return configured.empty() ? platform::currentDirectory() + "/virtual-printer" : configured;
}

struct ThreadGuard {
    ThreadGuard() { platform::lockThreads(); }
    ~ThreadGuard() { platform::unlockThreads(); }
    ThreadGuard(const ThreadGuard &) = delete;
    ThreadGuard &operator=(const ThreadGuard &) = delete;
};

// Another process (a second station, a test harness) may hold the printer for a while.
bool waitForLock(platform::FileLock &lock) {
    constexpr int kStepMs = 10;
    for (int waited = 0; waited < 10000; waited += kStepMs) {
        if (lock.tryLock())
            return true;
        platform::sleepMs(kStepMs);
    }
    return lock.tryLock();
}

} // namespace

short runCall(const char *entryPoint, CallKind kind,
              const std::function<Outcome(PrinterModel &)> &work) {
    const ThreadGuard guard;

    const std::string name = entryPoint;
    const std::string dir = stateDirectory();
    if (!platform::makeDirectories(dir))
        return Status::Offline;
    platform::FileLock lock(dir + "/printer.lock");
    if (!waitForLock(lock)) {
        noteInPrinterLog(dir, name + ": printer busy in another process");
        return Status::Offline;
    }

    const FaultDecision faults = faultsForCall(dir, name);
    if (faults.offline)
        return Status::Offline;
    if (kind == CallKind::Printing && faults.delayMs > 0)
        platform::sleepMs(faults.delayMs);

    PaperRoll paper;
    const platform::LocalTime t = platform::localNow();
    const DateTime now{t.year, t.month, t.day, t.hour, t.minute, t.second};
    std::string error;
    std::optional<FiscalMemory> memory = StateStore::load(dir, &error);
    if (!memory) {
        // The memory stays as found for someone to inspect; the printer reports an error.
        noteInPrinterLog(dir, name + ": fiscal memory unreadable: " + error);
        FiscalMemory broken;
        broken.last = {Status::Ack, Status::PrinterError, 0};
        PrinterModel model(broken, paper, now);
        return kind == CallKind::Status ? work(model).code : Status::Refused;
    }

    PrinterModel model(*memory, paper, now);
    Outcome outcome;
    if (faults.nak)
        outcome = Outcome::refused(0, 0, Status::Nak);
    else if (faults.refuse)
        outcome = Outcome::notExecuted();
    else if (faults.paperOut && kind == CallKind::Printing)
        outcome = Outcome::refused(Status::PaperOut, 0);
    else
        outcome = work(model);
    if (faults.paperLow)
        outcome.status.st1 |= Status::PaperLow;
    // The paper sensor shows in the status of every command, not only the refused ones.
    if (faults.paperOut)
        outcome.status.st1 |= Status::PaperOut;

    if (kind != CallKind::Status) {
        memory->last = outcome.status;
        memory->lastCall = name;
        if (!StateStore::save(dir, *memory)) {
            noteInPrinterLog(dir, name + ": fiscal memory not saved");
            return Status::Refused;
        }
    }
    if (!paper.flushTo(dir))
        noteInPrinterLog(dir, name + ": paper roll not written");

    if (faults.crash) {
        noteInPrinterLog(dir, name + ": crash rule, aborting");
        lock.unlock();
        std::abort();
    }
    return outcome.code;
}
