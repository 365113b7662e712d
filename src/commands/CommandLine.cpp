#include "commands/CommandLine.h"

#include "commands/ArgumentScanner.h"

#include <QFileInfo>
#include <utility>

namespace robot {

namespace {

// An option of the station run itself (not an action).
struct Option {
    const char *name;
    // Null: the option takes no value.
    const char *valueName;
    // The setting a plain switch turns on.
    bool CommandLine::*flag;
    const char *help;
    // What the exit status tells after a run with this option; null: nothing of its own.
    const char *statuses;
};

// The station's options, in the order --help shows them.
const Option kOptions[] = {
    {"dir", "DIR", nullptr,
     "Directorio de ImpresorFiscal.inf, que pasa a ser el directorio de trabajo. Por omisión, el "
     "del programa si allí está ImpresorFiscal.inf; si no, ~/.local/share/robot-fiscal.",
     nullptr},
    {"headless", nullptr, &CommandLine::headless,
     "Funciona sin ventana: los mensajes para el operador van a la salida de errores.", nullptr},
    {"exit-when-idle", nullptr, &CommandLine::exitWhenIdle,
     "Con --headless: termina cuando no queda nada pendiente.",
     "Salida: 0 cuando no queda nada pendiente; 3 si una falla detuvo el robot, lo pendiente "
     "espera al operador o la base de datos no contestó al empezar; 2 si no se empezó."},
    {"autostart", nullptr, &CommandLine::autostart,
     "Inicio automático al entrar en la sesión: si esta computadora no tiene estación "
     "configurada, termina sin mostrar nada (salida 0) y lo anota en la salida de errores.",
     nullptr},
    {"desde", "AAAA-MM-DD", nullptr,
     "Con --conciliar: solo los documentos de esa fecha en adelante.", nullptr},
    {"hasta", "AAAA-MM-DD", nullptr, "Con --conciliar: solo los documentos hasta esa fecha.",
     nullptr},
    {"csv", "ARCHIVO", nullptr,
     "Con --conciliar: escribe además los hallazgos en ARCHIVO, en formato CSV.", nullptr},
};

template <typename Row> const Row *find(std::span<const Row> rows, const QString &name) {
    for (const Row &row : rows)
        if (name == QLatin1String(row.name))
            return &row;
    return nullptr;
}

QString actionList(std::span<const Action> actions) {
    QStringList names;
    for (const Action &action : actions)
        if (action.needs != ActionNeeds::Nothing)
            names << QStringLiteral("--") + QLatin1String(action.name);
    return names.join(QStringLiteral(", "));
}

// Reads the value of a station option into `line`; an unusable value becomes `line.problem`.
void takeValue(const Option &option, const QString &value, CommandLine &line) {
    const QLatin1String name(option.name);
    if (name == QLatin1String("dir")) {
        line.dir = value;
    } else if (name == QLatin1String("csv")) {
        // Named where the technician stands: the run works in the station's directory.
        line.csv = value.isEmpty() ? value : QFileInfo(value).absoluteFilePath();
    } else {
        const QDate date = QDate::fromString(value, Qt::ISODate);
        if (!date.isValid())
            line.problem =
                QStringLiteral("--%1 espera una fecha AAAA-MM-DD, no «%2».").arg(name, value);
        (name == QLatin1String("desde") ? line.from : line.to) = date;
    }
}

void apply(const Option &option, const QString &value, CommandLine &line) {
    if (option.flag)
        line.*option.flag = true;
    if (option.valueName)
        takeValue(option, value, line);
}

void apply(const Action &action, std::span<const Action> actions, const QString &value,
           CommandLine &line) {
    if (line.action && line.action != &action) {
        line.problem = QStringLiteral("Indique una sola acción: %1.").arg(actionList(actions));
        return;
    }
    line.action = &action;
    line.value = value;
    if (action.take)
        line.problem = action.take(line.value).error();
}

QList<KnownOption> knownOptions(std::span<const Action> actions) {
    QList<KnownOption> known;
    for (const Option &option : kOptions)
        known.append({QLatin1String(option.name), QLatin1String(option.valueName)});
    for (const Action &action : actions)
        known.append({QLatin1String(action.name), QLatin1String(action.valueName)});
    return known;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments, std::span<const Action> actions) {
    CommandLine line;
    const ScannedArguments scanned = scanArguments(arguments, knownOptions(actions));
    line.problem = scanned.problem;
    if (line.problem.isEmpty() && !scanned.positional.isEmpty())
        line.problem = QStringLiteral("Argumento desconocido «%1».").arg(scanned.positional[0]);
    for (qsizetype i = 0; i < scanned.options.size() && line.problem.isEmpty(); ++i) {
        const ScannedArguments::Given &given = scanned.options[i];
        if (const Option *option = find<Option>(kOptions, given.name))
            apply(*option, given.value, line);
        else
            apply(*find(actions, given.name), actions, given.value, line);
    }
    if (line.problem.isEmpty() && line.exitWhenIdle && !line.action && !line.headless)
        line.problem = QStringLiteral("--exit-when-idle solo sirve con --headless.");
    if (line.problem.isEmpty() &&
        !(line.action && line.action->name == QLatin1String("conciliar")) &&
        (line.from.isValid() || line.to.isValid() || !line.csv.isEmpty()))
        line.problem = QStringLiteral("--desde, --hasta y --csv solo sirven con --conciliar.");
    // A reversed period holds no day: its clean report would say nothing was wrong.
    if (line.problem.isEmpty() && line.from.isValid() && line.to.isValid() && line.from > line.to)
        line.problem = QStringLiteral("El período está al revés: --desde %1 es posterior a "
                                      "--hasta %2. Indique primero la fecha más antigua.")
                           .arg(line.from.toString(Qt::ISODate), line.to.toString(Qt::ISODate));
    return line;
}

QString commandLineHelp(std::span<const Action> actions) {
    QString text = QStringLiteral("Uso: robot-fiscal [--dir DIR] [--headless [--exit-when-idle]]\n"
                                  "     robot-fiscal [--dir DIR] ACCIÓN\n\n") +
                   wrappedText(QStringLiteral("Robot de impresión de facturas fiscales (Bematech). "
                                              "Sin acción, la estación abre su ventana (en el área "
                                              "de notificación) o, con --headless, funciona sin "
                                              "ella. Salida: 0 al cerrarla o detenerla; 2 si no se "
                                              "empezó."),
                               0);
    const auto entry = [&text](const char *name, const char *valueName, const char *help,
                               const char *statuses) {
        QString usage = QStringLiteral("  --") + QLatin1String(name);
        if (valueName)
            usage += u' ' + QLatin1String(valueName);
        text += usage + u'\n' + wrappedText(QString::fromUtf8(help), 6);
        if (statuses)
            text += wrappedText(QString::fromUtf8(statuses), 6);
    };
    text += QStringLiteral("\nLa estación:\n");
    for (const Option &option : kOptions)
        entry(option.name, option.valueName, option.help, option.statuses);
    text += QStringLiteral("\nAcciones (una sola por vez):\n");
    for (const Action &action : actions)
        entry(action.name, action.valueName, action.help, action.statuses);
    text += QStringLiteral("\nEstados de salida:\n");
    const std::pair<int, const char *> statuses[] = {
        {0, "hecho; sin ventana con --exit-when-idle: no queda nada pendiente."},
        {2, "no se empezó: argumentos que no se entienden, ventana sin pantalla, o inicio "
            "rechazado (configuración, archivo de marca, otra estación con la misma caja)."},
        {3, "sin ventana con --exit-when-idle: una falla detuvo el robot, lo pendiente espera "
            "al operador o la base de datos no contestó al empezar."},
        {4, "la acción no se realizó: la impresora no la hizo o no contestó, o el diario de "
            "impresión no pudo hacer lo pedido."},
        {5, "no se sabe si la reducción Z se hizo: la impresora no contestó y su contador no se "
            "pudo leer. Revise el papel antes de pedir otra."},
    };
    for (const auto &[status, meaning] : statuses)
        text +=
            QStringLiteral("  %1").arg(status) + wrappedText(QString::fromUtf8(meaning), 5).mid(3);
    return text;
}

} // namespace robot
