#include "PrinterSession.h"

#include "FaultRules.h"
#include "PrinterLog.h"
#include "StateStore.h"

#include <QLockFile>
#include <QThread>
#include <cstdlib>
#include <mutex>

namespace {

QDir stateDirectory() {
    const QString configured = qEnvironmentVariable("VIRTUAL_PRINTER_DIR");
    return QDir(configured.isEmpty() ? QDir::current().filePath(QStringLiteral("virtual-printer"))
                                     : configured);
}

} // namespace

short runCall(const char *entryPoint, CallKind kind,
              const std::function<Outcome(PrinterModel &)> &work) {
    static std::mutex mutex;
    const std::lock_guard<std::mutex> guard(mutex);

    const QString name = QString::fromLatin1(entryPoint);
    const QDir dir = stateDirectory();
    if (!dir.mkpath(QStringLiteral(".")))
        return Status::Offline;
    // Another process (a second station, a test harness) may use the same printer.
    QLockFile lock(dir.filePath(QStringLiteral("printer.lock")));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(10000)) {
        noteInPrinterLog(dir, name + QStringLiteral(": printer busy in another process"));
        return Status::Offline;
    }

    const FaultDecision faults = faultsForCall(dir, name);
    if (faults.offline)
        return Status::Offline;
    if (kind == CallKind::Printing && faults.delayMs > 0)
        QThread::msleep(faults.delayMs);

    PaperRoll paper;
    const QDateTime now = QDateTime::currentDateTime();
    QString error;
    std::optional<FiscalMemory> memory = StateStore::load(dir, &error);
    if (!memory) {
        // The memory stays as found for someone to inspect; the printer reports an error.
        noteInPrinterLog(dir, name + QStringLiteral(": fiscal memory unreadable: ") + error);
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

    if (kind != CallKind::Status) {
        memory->last = outcome.status;
        memory->lastCall = name;
        if (!StateStore::save(dir, *memory)) {
            noteInPrinterLog(dir, name + QStringLiteral(": fiscal memory not saved"));
            return Status::Refused;
        }
    }
    if (!paper.flushTo(dir))
        noteInPrinterLog(dir, name + QStringLiteral(": paper roll not written"));

    if (faults.crash) {
        noteInPrinterLog(dir, name + QStringLiteral(": crash rule, aborting"));
        lock.unlock();
        std::abort();
    }
    return outcome.code;
}
