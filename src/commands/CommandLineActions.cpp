#include "commands/CommandLineActions.h"

#include "commands/FiscalCommands.h"
#include "commands/InformationQueries.h"
#include "printer/AnalizaRetorno.h"

#include <QCommandLineParser>
#include <QTextStream>
#include <cstring>

namespace {

const char *const kActionNames[] = {"report-x", "report-z", "cancel-coupon", "open-drawer",
                                    "query"};

QString outcomeLine(const QString &titulo, const CommandOutcome &outcome) {
    if (!outcome.called)
        return titulo + QStringLiteral(": no se pudo usar la librería de la impresora.");
    if (outcome.succeeded())
        return titulo + QStringLiteral(": correcto (código de retorno 1).");
    if (outcome.code == 1)
        return titulo + QStringLiteral(": no realizado (la impresora no lo ejecutó).");
    return titulo + QStringLiteral(": no realizado (código de retorno %1).").arg(outcome.code);
}

int exitStatus(bool succeeded) {
    return succeeded ? CommandLineActions::kExitDone : CommandLineActions::kExitNotDone;
}

} // namespace

CommandLineActions::CommandLineActions(QCommandLineParser &parser)
    : parser(parser),
      reportX(QStringLiteral("report-x"), QStringLiteral("Imprime la lectura X y termina.")),
      reportZ(QStringLiteral("report-z"),
              QStringLiteral("Imprime la reducción Z (cierre diario) y termina.")),
      cancelCoupon(QStringLiteral("cancel-coupon"),
                   QStringLiteral("Anula el cupón abierto en la impresora y termina.")),
      openDrawer(QStringLiteral("open-drawer"), QStringLiteral("Abre la gaveta y termina.")),
      query(QStringLiteral("query"),
            QStringLiteral("Hace la consulta \"Prueba N\" (1 a 8) a la impresora, escribe la "
                           "respuesta y termina."),
            QStringLiteral("N")) {
    parser.addOptions({reportX, reportZ, cancelCoupon, openDrawer, query});
}

bool CommandLineActions::requested(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strncmp(arg, "--", 2) != 0)
            continue;
        arg += 2;
        for (const char *name : kActionNames) {
            const std::size_t length = std::strlen(name);
            if (std::strncmp(arg, name, length) == 0 && (arg[length] == '\0' || arg[length] == '='))
                return true;
        }
    }
    return false;
}

int CommandLineActions::countChosen() const {
    int count = 0;
    for (const QCommandLineOption *option :
         {&reportX, &reportZ, &cancelCoupon, &openDrawer, &query})
        count += parser.isSet(*option) ? 1 : 0;
    return count;
}

bool CommandLineActions::changesPrinter() const {
    return parser.isSet(reportX) || parser.isSet(reportZ) || parser.isSet(cancelCoupon) ||
           parser.isSet(openDrawer);
}

bool CommandLineActions::chosen() const {
    return countChosen() > 0;
}

QString CommandLineActions::problem() const {
    if (countChosen() > 1)
        return QStringLiteral("Indique una sola acción: --report-x, --report-z, --cancel-coupon, "
                              "--open-drawer o --query N.");
    if (parser.isSet(query)) {
        bool ok = false;
        const int n = parser.value(query).toInt(&ok);
        if (!ok || n < InformationQueries::kFirst || n > InformationQueries::kLast)
            return QStringLiteral("--query espera un número del 1 al 8, no «%1».")
                .arg(parser.value(query));
    }
    return {};
}

int CommandLineActions::run(FiscalPrinter &printer, OperatorMessages &messages, QTextStream &out,
                            PrintJournal *journal) const {
    if (parser.isSet(query)) {
        const int prueba = parser.value(query).toInt();
        const QueryAnswer result = InformationQueries(printer, messages).ask(prueba);
        // The answer alone does not say the printer executed the query: its status does, and
        // an answer the printer did not give is not written out.
        const bool accepted =
            result.called && AnalizaRetorno(printer, messages, QString(), QString(), result.code,
                                            InformationQueries::caption(prueba));
        if (accepted) {
            // The blanks the library left in the buffer are only noise on a terminal.
            QString answer = result.answer;
            while (!answer.isEmpty() && answer.back().isSpace())
                answer.chop(1);
            out << answer << Qt::endl;
        }
        return exitStatus(accepted);
    }

    // Nothing runs the robot here, so there are no controls to hold.
    FiscalCommands commands(printer, messages);
    commands.recordCancellationsIn(journal);
    CommandOutcome outcome;
    QString titulo;
    if (parser.isSet(reportZ)) {
        outcome = commands.CierreZ();
        titulo = FiscalCommands::tituloReduccionZ();
    } else if (parser.isSet(reportX)) {
        outcome = commands.CierreX();
        titulo = FiscalCommands::tituloLecturaX();
    } else if (parser.isSet(openDrawer)) {
        outcome = commands.AbrirGaveta();
        titulo = FiscalCommands::tituloGaveta();
    } else if (parser.isSet(cancelCoupon)) {
        outcome = commands.AnulaCupon();
        titulo = FiscalCommands::tituloAnulaCupon();
    } else {
        return kExitUsage;
    }
    out << outcomeLine(titulo, outcome) << Qt::endl;
    return exitStatus(outcome.succeeded());
}
