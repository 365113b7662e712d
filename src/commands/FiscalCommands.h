#pragma once

#include "core/Result.h"
#include "db/ReportJournal.h"

#include <QString>
#include <functional>
#include <optional>

namespace robot {

class Clock;
class FiscalPrinter;
class PrinterReply;
class OperatorMessages;
class PrintJournal;
class StationLog;

// What one operator command got from the printer library.
struct CommandOutcome {
    bool called = false;   // false: the library could not be used, nothing reached the printer
    short code = 0;        // the library's return code when called
    bool accepted = false; // the return analysis found the printer did what it was asked
    // A Z report whose call failed while the printer's Z counter could not be read: it may
    // have printed. Never to be taken for "not done", which invites a second one.
    bool unknown = false;
    // The Z report's number, read from the printer's counter after it; 0 when not read.
    qint64 reduction = 0;
    // The outcome in one line, as the log and the command line give it.
    QString summary;
    // A return code of 1 alone is not enough: the printer may still answer "not executed"
    // (ACK 21) or report an error in its status.
    bool succeeded() const { return called && accepted; }
};

// The operator's direct printer commands: the Z and X reports, the cash drawer and the coupon
// cancellation. Each runs between habilitaControles(false) and habilitaControles(true) so the
// robot cannot start a document meanwhile; the window passes its HabilitaControles, the
// command line, which has no robot running, passes nothing.
class FiscalCommands {
public:
    using HabilitaControles = std::function<void(bool)>;

    FiscalCommands(FiscalPrinter &printer, OperatorMessages &messages,
                   HabilitaControles habilitaControles = {});

    // "Cierre Z": ReduccionZ with two empty texts, analysed as "Reducción Z". The
    // printer's Z counter is read before and after: when the call itself failed (the library
    // or its bridge died or timed out) a counter that moved shows the report was made.
    CommandOutcome CierreZ();
    // "Cierre X": LecturaX, analysed as "Lectura X".
    CommandOutcome CierreX();
    // "Abrir G": AccionaGaveta; a refusal is analysed as "Abrir G".
    CommandOutcome AbrirGaveta();
    // "Anula Cupon": AnulaCupon; "Listo." once the controls are back,
    // or, when refused, the printer's answer analysed as "Anula Cupon".
    CommandOutcome AnulaCupon();

    // How many documents wait to print, read from the database when asked.
    using PendingCount = std::function<Result<qsizetype>()>;
    // The operator's "Cierre Z": when something would be left behind (documents waiting to
    // print, counted by `pendingNow` at the moment of asking, or a coupon open in the printer)
    // the operator is asked first, with the robot held; a "no" leaves the printer alone and
    // gives nothing back. A database that cannot be read is asked about as well: a document
    // printed after the Z goes into the next day's report.
    std::optional<CommandOutcome> CierreZPreguntando(const PendingCount &pendingNow);

    // A cancellation is recorded in this journal before the printer is asked, so the document
    // it cancels may be printed again (see PrintJournal::cancelOpen).
    void recordCancellationsIn(PrintJournal *printJournal) { journal = printJournal; }
    // Each X and Z report made is recorded in this journal, for `caja`, at `clock`'s time, with
    // the printer's coupon counter before and after it: a printer that counts reports as
    // documents leaves holes the reconciliation then explains.
    void recordReportsIn(PrintJournal *printJournal, qint32 caja, const Clock &clock);
    // Every command's outcome becomes a line of this log.
    void logTo(StationLog *stationLog) { log = stationLog; }

    static QString tituloReduccionZ() { return QStringLiteral("Reducción Z"); }
    static QString tituloLecturaX() { return QStringLiteral("Lectura X"); }
    static QString tituloGaveta() { return QStringLiteral("Abrir G"); }
    static QString tituloAnulaCupon() { return QStringLiteral("Anula Cupon"); }

private:
    enum class Analysis { Always, OnRefusal };
    // `settle` completes an accepted outcome once the call is analysed. When the call returned
    // 0 (no communication) it runs instead of the analysis: it may settle the outcome itself
    // (true) or leave it to the analysis (false).
    CommandOutcome run(const QString &titulo, Analysis analysis,
                       const std::function<PrinterReply()> &call,
                       const std::function<bool(CommandOutcome &)> &settle = {});
    std::optional<qint64> reductionCounter();
    // The coupon counter, read only while reports are recorded.
    std::optional<qint64> couponWhileRecording();
    void keepReport(JournalReport::Kind kind, const CommandOutcome &outcome,
                    std::optional<qint64> couponBefore, std::optional<qint64> couponAfter);
    void record(const QString &titulo, CommandOutcome &outcome, const QString &told);

    FiscalPrinter &printer;
    OperatorMessages &messages;
    HabilitaControles habilitaControles;
    PrintJournal *journal = nullptr;
    PrintJournal *reportJournal = nullptr;
    qint32 reportCaja = 0;
    const Clock *clock = nullptr;
    StationLog *log = nullptr;
};

} // namespace robot
