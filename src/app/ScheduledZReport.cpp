#include "app/ScheduledZReport.h"

#include "app/Robot.h"
#include "core/Clock.h"
#include "core/OperatorMessages.h"
#include "core/StationLog.h"
#include "db/PendingSources.h"
#include "db/ReportJournal.h"
#include "journal/PrinterCounters.h"
#include "printer/FiscalPrinter.h"

#include <algorithm>

namespace robot {

namespace {

// A Z report waits for pending documents this long after its time, then it is told as pending.
constexpr qint64 kWaitSeconds = 3600;

QString hhmm(QTime time) {
    return time.toString(QStringLiteral("HH:mm"));
}

} // namespace

ScheduledZReport::ScheduledZReport(Robot &robot, PendingSources &sources, PrintJournal &journal,
                                   FiscalPrinter &printer, OperatorMessages &messages,
                                   const Clock &clock, StationLog &log, qint32 caja, QTime hora)
    : robot(robot), sources(sources), journal(journal), printer(printer), messages(messages),
      clock(clock), log(log), hora(hora),
      commands(printer, messages, [this](bool on) { this->robot.holdForCommand(!on); }) {
    commands.recordReportsIn(&journal, caja, clock);
    commands.logTo(&log);
    if (!hora.isValid())
        return;
    timer.setInterval(30000);
    connect(&timer, &QTimer::timeout, this, &ScheduledZReport::check);
    timer.start();
    log.write(QStringLiteral("Reducción Z automática programada a las %1.").arg(hhmm(hora)));
}

void ScheduledZReport::check() {
    if (!hora.isValid())
        return;
    const QDateTime now = clock.currentDateTime();
    // The time this check belongs to: today's, or yesterday's until its hour of waiting ends.
    QDateTime due(now.date(), hora);
    if (now < due)
        due = due.addDays(-1);
    const QDate day = due.date();
    if (settled == day)
        return;
    if (due.secsTo(now) >= kWaitSeconds) {
        // Told only by a station that was there at the time: one started later says nothing.
        if (watched == day)
            pending(day, QStringLiteral("La reducción Z automática de las %1 no se emitió: tras "
                                        "una hora de espera %2. Emítala con «Cierre Z» en "
                                        "cuanto se pueda.")
                             .arg(hhmm(hora), waitingFor));
        return;
    }
    if (watched != day) {
        watched = day;
        waitingFor.clear();
    }
    // The day's Z: made that day, but not in the hour of waiting for the day before's.
    const QDateTime since =
        std::max(QDateTime(day, QTime(0, 0)), due.addSecs(kWaitSeconds - 86400));
    const Result<bool> made = zReportSince(journal, since);
    if (!made.ok()) {
        waitingFor = QStringLiteral("el diario de impresión no se lee (%1)").arg(made.error());
        return;
    }
    if (made.value()) {
        settled = day; // made by the operator, or before a restart
        log.write(QStringLiteral("La reducción Z automática de las %1 no se emite: la "
                                 "del día %2 ya está hecha.")
                      .arg(hhmm(hora), day.toString(Qt::ISODate)));
        return;
    }
    const QString why = obstacle();
    if (why.isEmpty()) {
        print(day);
        return;
    }
    if (waitingFor.isEmpty())
        log.write(
            QStringLiteral("La reducción Z automática de las %1 espera: %2.").arg(hhmm(hora), why));
    waitingFor = why;
}

QString ScheduledZReport::obstacle() {
    if (robot.busy())
        return QStringLiteral("hay un documento en curso");
    if (robot.state() != Robot::State::Running)
        return QStringLiteral("el robot no está en marcha");
    // Read now: a list a second old may miss the document that just arrived.
    const Result<qsizetype> pending = sources.pendingNow();
    if (!pending.ok())
        return QStringLiteral("la base de datos no responde (%1)").arg(pending.error());
    const qsizetype documents = pending.value();
    if (documents > 0)
        return documents == 1
                   ? QStringLiteral("hay 1 documento pendiente de impresión")
                   : QStringLiteral("hay %1 documentos pendientes de impresión").arg(documents);
    const Result<QList<PrintJournal::Entry>> unfinished = journal.unfinished();
    if (!unfinished.ok() || !unfinished.value().isEmpty())
        return QStringLiteral("el diario de impresión retiene documentos");
    const PrinterCounters counters = readCounters(printer);
    if (!counters.answered)
        return QStringLiteral("la impresora no responde");
    if (counters.documentOpen)
        return QStringLiteral("hay un cupón abierto en la impresora");
    return {};
}

void ScheduledZReport::print(const QDate &day) {
    settled = day; // one attempt a day: a Z that failed is never tried again by itself
    CommandOutcome outcome;
    robot.runCommand([this, &outcome] { outcome = commands.CierreZ(); });
    if (!outcome.succeeded()) {
        pending(day, QStringLiteral("La reducción Z automática de las %1 no se hizo (%2). "
                                    "Revise la impresora y emítala con «Cierre Z».")
                         .arg(hhmm(hora), outcome.summary));
        return;
    }
    status = QStringLiteral("Reducción Z automática número %1 hecha el %2.")
                 .arg(outcome.reduction)
                 .arg(clock.currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    log.write(status);
    emit stateChanged();
}

void ScheduledZReport::pending(const QDate &day, const QString &message) {
    settled = day;
    status = message;
    log.error(message);
    messages.show(message, MessageIcon::Warning, FiscalCommands::tituloReduccionZ());
    emit stateChanged();
    emit zReportPending(message);
}

} // namespace robot
