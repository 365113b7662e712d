#include "commands/CommandLineActions.h"

#include "commands/FiscalCommands.h"
#include "commands/InformationQueries.h"

#include <QTextStream>

using robot::Action;
using robot::ExitCode;

namespace {

QString outcomeLine(const QString &titulo, const CommandOutcome &outcome) {
    if (!outcome.called)
        return titulo + QStringLiteral(": no se pudo usar la librería de la impresora.");
    if (outcome.succeeded())
        return titulo + QStringLiteral(": correcto (código de retorno 1).");
    return titulo + QStringLiteral(": no realizado (código de retorno %1).").arg(outcome.code);
}

ExitCode exitCode(bool succeeded) {
    return succeeded ? ExitCode::Done : ExitCode::NotDone;
}

} // namespace

ExitCode CommandLineActions::run(const robot::CommandLine &line, FiscalPrinter &printer,
                                 OperatorMessages &messages, QTextStream &out) {
    if (line.action == Action::Query) {
        const QueryAnswer result = InformationQueries(printer, messages).ask(line.query);
        if (result.called) {
            // The blanks the library left in the buffer are only noise on a terminal.
            QString answer = result.answer;
            while (!answer.isEmpty() && answer.back().isSpace())
                answer.chop(1);
            out << answer << Qt::endl;
        }
        return exitCode(result.called && result.code == 1);
    }

    // Nothing runs the robot here, so there are no controls to hold.
    FiscalCommands commands(printer, messages);
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
