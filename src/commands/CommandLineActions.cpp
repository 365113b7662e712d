#include "commands/CommandLineActions.h"

#include "commands/CommandLine.h"
#include "commands/FiscalCommands.h"
#include "commands/InformationQueries.h"
#include "core/OperatorMessages.h"
#include "printer/AnalizaRetorno.h"

#include <QTextStream>

namespace robot {

using robot::ExitCode;

namespace {

ExitCode exitCode(bool succeeded) {
    return succeeded ? ExitCode::Done : ExitCode::NotDone;
}

// One fiscal command, `command` on the session's FiscalCommands, and its outcome on `run.out`.
template <typename Command> ExitCode runCommand(const ActionRun &run, Command command) {
    PrinterSession &session = *run.printer;
    // Nothing runs the robot here, so there are no controls to hold.
    FiscalCommands commands(session.printer, session.messages);
    commands.recordCancellationsIn(session.journal);
    if (session.journal && session.clock)
        commands.recordReportsIn(session.journal, session.caja, *session.clock);
    commands.logTo(session.log);
    const CommandOutcome outcome = command(commands, session.pendingNow);
    run.out << outcome.summary << Qt::endl;
    return outcome.unknown ? ExitCode::Unknown : exitCode(outcome.succeeded());
}

} // namespace

ExitCode CommandLineActions::query(const ActionRun &run) {
    FiscalPrinter &printer = run.printer->printer;
    OperatorMessages &messages = run.printer->messages;
    const int number = run.line.value.toInt();
    InformationQueries queries(printer, messages);
    queries.logTo(run.printer->log);
    const QueryAnswer result = queries.ask(number);
    // The answer alone does not say the printer executed the query: its status does, and
    // an answer the printer did not give is not written out.
    bool accepted = false;
    if (result.called) {
        const ReplyAnalysis analysis = AnalizaRetorno(printer, QString(), QString(), result.reply,
                                                      InformationQueries::caption(number));
        accepted = analysis.accepted;
        if (!analysis.text.isEmpty())
            messages.show(analysis.text, analysis.icon, analysis.caption);
    }
    if (accepted) {
        // The blanks the library left in the buffer are only noise on a terminal.
        QString answer = result.answer;
        while (!answer.isEmpty() && answer.back().isSpace())
            answer.chop(1);
        run.out << answer << Qt::endl;
    }
    return exitCode(accepted);
}

ExitCode CommandLineActions::reportX(const ActionRun &run) {
    return runCommand(run, [](FiscalCommands &commands, const FiscalCommands::PendingCount &) {
        return commands.CierreX();
    });
}

ExitCode CommandLineActions::reportZ(const ActionRun &run) {
    return runCommand(
        run, [](FiscalCommands &commands, const FiscalCommands::PendingCount &pendingNow) {
            if (!pendingNow)
                return commands.CierreZ();
            if (const std::optional<CommandOutcome> asked = commands.CierreZPreguntando(pendingNow))
                return *asked;
            CommandOutcome outcome;
            outcome.summary = QStringLiteral("Reducción Z no emitida.");
            return outcome;
        });
}

ExitCode CommandLineActions::cancelCoupon(const ActionRun &run) {
    return runCommand(run, [](FiscalCommands &commands, const FiscalCommands::PendingCount &) {
        return commands.AnulaCupon();
    });
}

ExitCode CommandLineActions::openDrawer(const ActionRun &run) {
    return runCommand(run, [](FiscalCommands &commands, const FiscalCommands::PendingCount &) {
        return commands.AbrirGaveta();
    });
}

} // namespace robot
