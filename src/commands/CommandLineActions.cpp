#include "commands/CommandLineActions.h"

#include "commands/FiscalCommands.h"
#include "commands/InformationQueries.h"
#include "printer/AnalizaRetorno.h"

#include <QTextStream>

namespace robot {

using robot::Action;
using robot::ExitCode;

namespace {

QString outcomeLine(const QString &titulo, const CommandOutcome &outcome) {
    if (!outcome.called)
        return titulo + QStringLiteral(": no se pudo usar la librería de la impresora.");
    if (outcome.succeeded())
        return titulo + QStringLiteral(": correcto (código de retorno 1).");
    if (outcome.code == 1)
        return titulo + QStringLiteral(": no realizado (la impresora no lo ejecutó).");
    return titulo + QStringLiteral(": no realizado (código de retorno %1).").arg(outcome.code);
}

ExitCode exitCode(bool succeeded) {
    return succeeded ? ExitCode::Done : ExitCode::NotDone;
}

} // namespace

ExitCode CommandLineActions::run(const robot::CommandLine &line, FiscalPrinter &printer,
                                 OperatorMessages &messages, QTextStream &out,
                                 PrintJournal *journal) {
    if (line.action == Action::Query) {
        const QueryAnswer result = InformationQueries(printer, messages).ask(line.query);
        // The answer alone does not say the printer executed the query: its status does, and
        // an answer the printer did not give is not written out.
        const bool accepted =
            result.called && AnalizaRetorno(printer, messages, QString(), QString(), result.code,
                                            InformationQueries::caption(line.query));
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
    CommandOutcome outcome;
    QString titulo;
    switch (line.action) {
    case Action::ReportZ:
        outcome = commands.CierreZ();
        titulo = FiscalCommands::tituloReduccionZ();
        break;
    case Action::ReportX:
        outcome = commands.CierreX();
        titulo = FiscalCommands::tituloLecturaX();
        break;
    case Action::OpenDrawer:
        outcome = commands.AbrirGaveta();
        titulo = FiscalCommands::tituloGaveta();
        break;
    case Action::CancelCoupon:
        outcome = commands.AnulaCupon();
        titulo = FiscalCommands::tituloAnulaCupon();
        break;
    default:
        return ExitCode::Refused;
    }
    out << outcomeLine(titulo, outcome) << Qt::endl;
    return exitCode(outcome.succeeded());
}

} // namespace robot
