#include "commands/CommandLineActions.h"

#include "commands/FiscalCommands.h"
#include "commands/InformationQueries.h"
#include "core/OperatorMessages.h"
#include "printer/AnalizaRetorno.h"

#include <QTextStream>

namespace robot {

using robot::Action;
using robot::ExitCode;

namespace {

ExitCode exitCode(bool succeeded) {
    return succeeded ? ExitCode::Done : ExitCode::NotDone;
}

} // namespace

ExitCode CommandLineActions::run(const robot::CommandLine &line, FiscalPrinter &printer,
                                 OperatorMessages &messages, QTextStream &out,
                                 PrintJournal *journal, StationLog *log, qint32 caja,
                                 const Clock *clock,
                                 const FiscalCommands::PendingCount &pendingNow) {
    if (line.action == Action::Query) {
        InformationQueries queries(printer, messages);
        queries.logTo(log);
        const QueryAnswer result = queries.ask(line.query);
        // The answer alone does not say the printer executed the query: its status does, and
        // an answer the printer did not give is not written out.
        bool accepted = false;
        if (result.called) {
            const ReplyAnalysis analysis =
                AnalizaRetorno(printer, QString(), QString(), result.reply,
                               InformationQueries::caption(line.query));
            accepted = analysis.accepted;
            if (!analysis.text.isEmpty())
                messages.show(analysis.text, analysis.icon, analysis.caption);
        }
        if (accepted) {
            // The blanks the library left in the buffer are only noise on a terminal.
            QString answer = result.answer;
            while (!answer.isEmpty() && answer.back().isSpace())
                answer.chop(1);
            out << answer << Qt::endl;
        }
        return exitCode(accepted);
    }

    // Nothing runs the robot here, so there are no controls to hold.
    FiscalCommands commands(printer, messages);
    commands.recordCancellationsIn(journal);
    if (journal && clock)
        commands.recordReportsIn(journal, caja, *clock);
    commands.logTo(log);
    CommandOutcome outcome;
    switch (line.action) {
    case Action::ReportZ:
        if (!pendingNow) {
            outcome = commands.CierreZ();
            break;
        }
        if (const std::optional<CommandOutcome> asked = commands.CierreZPreguntando(pendingNow))
            outcome = *asked;
        else
            outcome.summary = QStringLiteral("Reducción Z no emitida.");
        break;
    case Action::ReportX:
        outcome = commands.CierreX();
        break;
    case Action::OpenDrawer:
        outcome = commands.AbrirGaveta();
        break;
    case Action::CancelCoupon:
        outcome = commands.AnulaCupon();
        break;
    default:
        return ExitCode::Refused;
    }
    out << outcome.summary << Qt::endl;
    return outcome.unknown ? ExitCode::Unknown : exitCode(outcome.succeeded());
}

} // namespace robot
