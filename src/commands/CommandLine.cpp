#include "commands/CommandLine.h"

#include "commands/ArgumentScanner.h"
#include "commands/InformationQueries.h"

#include <utility>

namespace robot {

namespace {

struct Option {
    const char *name;
    // Null: the option takes no value.
    const char *valueName;
    // Station for the settings of a station run; anything else is one action of its own.
    Action action;
    // The setting a plain switch turns on.
    bool CommandLine::*flag;
    const char *help;
    // What the exit status tells after this action; null for plain settings.
    const char *statuses;
};

const char *const kPrinterStatuses =
    "Salida: 0 si la impresora lo hizo; 4 si no lo hizo o no contestó; 2 si no se empezó.";

// Every option of the program, in the order --help shows them.
const Option kOptions[] = {
    {"dir", "DIR", Action::Station, nullptr,
     "Directorio de ImpresorFiscal.inf, que pasa a ser el directorio de trabajo. Por omisión, el "
     "del programa si allí está ImpresorFiscal.inf; si no, ~/.local/share/robot-fiscal.",
     nullptr},
    {"headless", nullptr, Action::Station, &CommandLine::headless,
     "Funciona sin ventana: los mensajes para el operador van a la salida de errores.", nullptr},
    {"exit-when-idle", nullptr, Action::Station, &CommandLine::exitWhenIdle,
     "Con --headless: termina cuando no queda nada pendiente.",
     "Salida: 0 cuando no queda nada pendiente; 3 si una falla detuvo el robot, lo pendiente "
     "espera al operador o la base de datos no contestó al empezar; 2 si no se empezó."},
    {"autostart", nullptr, Action::Station, &CommandLine::autostart,
     "Inicio automático al entrar en la sesión: si esta computadora no tiene estación "
     "configurada, termina sin mostrar nada (salida 0) y lo anota en la salida de errores.",
     nullptr},
    {"report-x", nullptr, Action::ReportX, nullptr, "Imprime la lectura X y termina.",
     kPrinterStatuses},
    {"report-z", nullptr, Action::ReportZ, nullptr,
     "Imprime la reducción Z (cierre diario) y termina. Si en la base de datos quedan "
     "documentos de esta caja por imprimir, o hay un cupón abierto, antes pregunta en la "
     "terminal; sin terminal no la emite.",
     "Salida: 0 si la impresora la hizo (con el número de la Z); 4 si no la hizo o no se "
     "emitió; 5 si no se sabe (revise el papel antes de pedir otra); 2 si no se empezó."},
    {"cancel-coupon", nullptr, Action::CancelCoupon, nullptr,
     "Anula el cupón abierto en la impresora y termina.", kPrinterStatuses},
    {"open-drawer", nullptr, Action::OpenDrawer, nullptr, "Abre la gaveta y termina.",
     kPrinterStatuses},
    {"query", "N", Action::Query, nullptr,
     "Hace la consulta \"Prueba N\" (1 a 8) a la impresora, escribe la respuesta y termina.",
     kPrinterStatuses},
    {"allow-reprint", "DOCUMENTO", Action::AllowReprint, nullptr,
     "Permite imprimir de nuevo un documento que el diario retiene porque la impresora no pudo "
     "decir si salió (factura:N o nota:N).",
     "Salida: 0 si el documento queda liberado; 4 si el diario no lo retiene o no se puede "
     "leer; 2 si no se empezó."},
    {"new-journal", nullptr, Action::NewJournal, nullptr,
     "Confirma que el diario de impresión se perdió y empieza uno vacío: revise antes el papel "
     "de los documentos que pudieran estar a medias.",
     "Salida: 0 si se creó el diario; 4 si no; 2 si no se empezó."},
    {"check", nullptr, Action::Check, nullptr,
     "Diagnóstico para el técnico: comprueba configuración, datos, base de datos, impresora, "
     "diario y bloqueo sin imprimir ni cambiar nada.",
     "Salida: 0 si nada falla (puede haber avisos); 4 si algo falla; 2 si no se empezó."},
    {"conciliar", nullptr, Action::Reconcile, nullptr,
     "Conciliación: compara los registros de esta caja, el diario de impresión y el contador de "
     "la impresora (sin imprimir nada) y lista cupones repetidos, huecos, documentos impresos "
     "sin marcar, marcados por otro y retenidos.",
     "Salida: 0 si no hay nada que revisar; 4 si hay hallazgos o no se pudo leer la base de "
     "datos o el diario; 2 si no se empezó."},
    {"estado", nullptr, Action::Status, nullptr,
     "Estado de las estaciones: con la base de datos en un servidor, una línea por caja de ese "
     "servidor (estado, documento en curso, pendientes, papel, último mensaje) y AVISO en la que "
     "lleva más de dos minutos sin señal; con la base de datos en un archivo, el último documento "
     "impreso por esta estación, su cupón y los documentos retenidos, según su diario.",
     "Salida: 0 si ninguna estación necesita atención; 4 si alguna la necesita (sin señal, "
     "detenida por falla, documento retenido, sin papel) o no se pudo leer el estado; 2 si no se "
     "empezó."},
    {"desde", "AAAA-MM-DD", Action::Station, nullptr,
     "Con --conciliar: solo los documentos de esa fecha en adelante.", nullptr},
    {"hasta", "AAAA-MM-DD", Action::Station, nullptr,
     "Con --conciliar: solo los documentos hasta esa fecha.", nullptr},
    {"csv", "ARCHIVO", Action::Station, nullptr,
     "Con --conciliar: escribe además los hallazgos en ARCHIVO, en formato CSV.", nullptr},
    {"paquete-soporte", "ARCHIVO", Action::SupportBundle, nullptr,
     "Escribe en ARCHIVO (.tar.gz; .zip en Windows) un paquete para el soporte técnico: los "
     "registros de la estación, ImpresorFiscal.inf, robot-fiscal.ini sin la clave, el "
     "diagnóstico, la conciliación, la versión y una copia del diario de impresión. No imprime "
     "nada.",
     "Salida: 0 si el paquete quedó escrito; 4 si no; 2 si no se empezó."},
    {"version", nullptr, Action::Version, nullptr, "Muestra la versión del programa y termina.",
     "Salida: 0."},
    {"help", nullptr, Action::Help, nullptr, "Muestra esta ayuda y termina (también -h).",
     "Salida: 0."},
};

const Option *findOption(const QString &name) {
    for (const Option &option : kOptions)
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

QString actionList() {
    QStringList names;
    for (const Option &option : kOptions)
        if (option.action != Action::Station && option.action != Action::Help &&
            option.action != Action::Version)
            names << QStringLiteral("--") + QLatin1String(option.name);
    return names.join(QStringLiteral(", "));
}

// Reads the value of an option into `line`; an unusable value becomes `line.problem`.
void takeValue(const Option &option, const QString &value, CommandLine &line) {
    switch (option.action) {
    case Action::Station: {
        const QLatin1String name(option.name);
        if (name == QLatin1String("dir")) {
            line.dir = value;
        } else if (name == QLatin1String("csv")) {
            line.csv = value;
        } else {
            const QDate date = QDate::fromString(value, Qt::ISODate);
            if (!date.isValid())
                line.problem =
                    QStringLiteral("--%1 espera una fecha AAAA-MM-DD, no «%2».").arg(name, value);
            (name == QLatin1String("desde") ? line.from : line.to) = date;
        }
        return;
    }
    case Action::SupportBundle:
        line.bundle = value;
        return;
    case Action::Query: {
        bool ok = false;
        line.query = value.toInt(&ok);
        if (!ok || line.query < InformationQueries::kFirst ||
            line.query > InformationQueries::kLast)
            line.problem =
                QStringLiteral("--query espera un número del 1 al 8, no «%1».").arg(value);
        return;
    }
    case Action::AllowReprint: {
        const QStringList parts = value.split(u':');
        bool number = false;
        line.reprintCodigo = parts.value(1).toLongLong(&number);
        if (parts.size() != 2 || !number ||
            (parts[0] != QStringLiteral("factura") && parts[0] != QStringLiteral("nota")))
            line.problem =
                QStringLiteral("Indique el documento como factura:N o nota:N, no «%1».").arg(value);
        line.reprintKind =
            parts[0] == QStringLiteral("nota") ? DocumentKind::NotaCredito : DocumentKind::Factura;
        return;
    }
    default:
        return;
    }
}

void apply(const Option &option, const QString &value, CommandLine &line) {
    if (option.flag)
        line.*option.flag = true;
    if (option.action != Action::Station) {
        if (line.action != Action::Station && line.action != option.action) {
            line.problem = QStringLiteral("Indique una sola acción: %1.").arg(actionList());
            return;
        }
        line.action = option.action;
    }
    if (option.valueName)
        takeValue(option, value, line);
}

QList<KnownOption> knownOptions() {
    QList<KnownOption> known;
    for (const Option &option : kOptions)
        known.append({QLatin1String(option.name), QLatin1String(option.valueName)});
    return known;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments) {
    CommandLine line;
    const ScannedArguments scanned = scanArguments(arguments, knownOptions());
    line.problem = scanned.problem;
    if (line.problem.isEmpty() && !scanned.positional.isEmpty())
        line.problem = QStringLiteral("Argumento desconocido «%1».").arg(scanned.positional[0]);
    for (qsizetype i = 0; i < scanned.options.size() && line.problem.isEmpty(); ++i)
        apply(*findOption(scanned.options[i].name), scanned.options[i].value, line);
    if (line.problem.isEmpty() && line.exitWhenIdle && line.action == Action::Station &&
        !line.headless)
        line.problem = QStringLiteral("--exit-when-idle solo sirve con --headless.");
    if (line.problem.isEmpty() && line.action != Action::Reconcile &&
        (line.from.isValid() || line.to.isValid() || !line.csv.isEmpty()))
        line.problem = QStringLiteral("--desde, --hasta y --csv solo sirven con --conciliar.");
    // A reversed period holds no day: its clean report would say nothing was wrong.
    if (line.problem.isEmpty() && line.from.isValid() && line.to.isValid() && line.from > line.to)
        line.problem = QStringLiteral("El período está al revés: --desde %1 es posterior a "
                                      "--hasta %2. Indique primero la fecha más antigua.")
                           .arg(line.from.toString(Qt::ISODate), line.to.toString(Qt::ISODate));
    return line;
}

QString commandLineHelp() {
    QString text = QStringLiteral("Uso: robot-fiscal [--dir DIR] [--headless [--exit-when-idle]]\n"
                                  "     robot-fiscal [--dir DIR] ACCIÓN\n\n") +
                   wrappedText(QStringLiteral("Robot de impresión de facturas fiscales (Bematech). "
                                              "Sin acción, la estación abre su ventana (en el área "
                                              "de notificación) o, con --headless, funciona sin "
                                              "ella. Salida: 0 al cerrarla o detenerla; 2 si no se "
                                              "empezó."),
                               0);
    const auto section = [&text](const char *title, bool actions) {
        text += u'\n' + QString::fromUtf8(title) + u'\n';
        for (const Option &option : kOptions) {
            if ((option.action != Action::Station) != actions)
                continue;
            QString usage = QStringLiteral("  --") + QLatin1String(option.name);
            if (option.valueName)
                usage += u' ' + QLatin1String(option.valueName);
            text += usage + u'\n' + wrappedText(QString::fromUtf8(option.help), 6);
            if (option.statuses)
                text += wrappedText(QString::fromUtf8(option.statuses), 6);
        }
    };
    section("La estación:", false);
    section("Acciones (una sola por vez):", true);
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

bool isPrinterAction(Action action) {
    return action == Action::Query || changesPrinter(action);
}

bool changesPrinter(Action action) {
    return action == Action::ReportX || action == Action::ReportZ ||
           action == Action::CancelCoupon || action == Action::OpenDrawer;
}

} // namespace robot
