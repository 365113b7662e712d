#include "app/ProgramActions.h"

#include "app/StationCheck.h"
#include "app/TechnicianActions.h"
#include "commands/AllowReprint.h"
#include "commands/CommandLine.h"
#include "commands/CommandLineActions.h"
#include "commands/InformationQueries.h"
#include "core/StationFiles.h"
#include "db/PrintJournal.h"

#include <QFileInfo>
#include <QTextStream>

namespace robot {

namespace {

const char *const kPrinterStatuses =
    "Salida: 0 si la impresora lo hizo; 4 si no lo hizo o no contestó; 2 si no se empezó.";

Result<void> queryNumber(QString &value) {
    bool ok = false;
    const int number = value.toInt(&ok);
    if (ok && number >= InformationQueries::kFirst && number <= InformationQueries::kLast)
        return {};
    return Failure{QStringLiteral("--query espera un número del 1 al 8, no «%1».").arg(value)};
}

Result<void> document(QString &value) {
    if (namedDocument(value))
        return {};
    return Failure{
        QStringLiteral("Indique el documento como factura:N o nota:N, no «%1».").arg(value)};
}

// Named where the technician stands: the action works in the station's directory.
Result<void> fileWhereStanding(QString &value) {
    if (!value.isEmpty())
        value = QFileInfo(value).absoluteFilePath();
    return {};
}

ExitCode startNewJournal(const ActionRun &run) {
    const Result<void> started = PrintJournal::startAfresh(StationFiles(run.directory).journal());
    QTextStream(started.ok() ? stdout : stderr)
        << (started.ok() ? QStringLiteral("Diario de impresión nuevo creado.") : started.error())
        << Qt::endl;
    return started.ok() ? ExitCode::Done : ExitCode::NotDone;
}

const Action kActions[] = {
    {"report-x", nullptr, "Imprime la lectura X y termina.", kPrinterStatuses,
     ActionNeeds::PrinterChange, nullptr, CommandLineActions::reportX},
    {"report-z", nullptr,
     "Imprime la reducción Z (cierre diario) y termina. Si en la base de datos quedan "
     "documentos de esta caja por imprimir, o hay un cupón abierto, antes pregunta en la "
     "terminal; sin terminal no la emite.",
     "Salida: 0 si la impresora la hizo (con el número de la Z); 4 si no la hizo o no se "
     "emitió; 5 si no se sabe (revise el papel antes de pedir otra); 2 si no se empezó.",
     ActionNeeds::PrinterChange, nullptr, CommandLineActions::reportZ},
    {"cancel-coupon", nullptr, "Anula el cupón abierto en la impresora y termina.",
     kPrinterStatuses, ActionNeeds::PrinterChange, nullptr, CommandLineActions::cancelCoupon},
    {"open-drawer", nullptr, "Abre la gaveta y termina.", kPrinterStatuses,
     ActionNeeds::PrinterChange, nullptr, CommandLineActions::openDrawer},
    {"query", "N",
     "Hace la consulta \"Prueba N\" (1 a 8) a la impresora, escribe la respuesta y termina.",
     kPrinterStatuses, ActionNeeds::Printer, queryNumber, CommandLineActions::query},
    {"allow-reprint", "DOCUMENTO",
     "Permite imprimir de nuevo un documento que el diario retiene porque la impresora no pudo "
     "decir si salió (factura:N o nota:N).",
     "Salida: 0 si el documento queda liberado; 4 si el diario no lo retiene o no se puede "
     "leer; 2 si no se empezó.",
     ActionNeeds::Directory, document,
     [](const ActionRun &run) {
         const NamedDocument named = *namedDocument(run.line.value);
         return allowReprint(run.directory, named.kind, named.codigo, run.out);
     }},
    {"new-journal", nullptr,
     "Confirma que el diario de impresión se perdió y empieza uno vacío: revise antes el papel "
     "de los documentos que pudieran estar a medias.",
     "Salida: 0 si se creó el diario; 4 si no; 2 si no se empezó.", ActionNeeds::Directory, nullptr,
     startNewJournal},
    {"check", nullptr,
     "Diagnóstico para el técnico: comprueba configuración, datos, base de datos, impresora, "
     "diario y bloqueo sin imprimir ni cambiar nada.",
     "Salida: 0 si nada falla (puede haber avisos); 4 si algo falla; 2 si no se empezó.",
     ActionNeeds::Directory, nullptr,
     [](const ActionRun &run) { return checkStation(run.directory, run.out); }},
    {"conciliar", nullptr,
     "Conciliación: compara los registros de esta caja, el diario de impresión y el contador de "
     "la impresora (sin imprimir nada) y lista cupones repetidos, huecos, documentos impresos "
     "sin marcar, marcados por otro y retenidos.",
     "Salida: 0 si no hay nada que revisar; 4 si hay hallazgos o no se pudo leer la base de "
     "datos o el diario; 2 si no se empezó.",
     ActionNeeds::Directory, nullptr,
     [](const ActionRun &run) { return reconcileStationAt(run.directory, run.line, run.out); }},
    {"estado", nullptr,
     "Estado de las estaciones: con la base de datos en un servidor, una línea por caja de ese "
     "servidor (estado, documento en curso, pendientes, papel, último mensaje) y AVISO en la que "
     "lleva más de dos minutos sin señal; con la base de datos en un archivo, el último documento "
     "impreso por esta estación, su cupón y los documentos retenidos, según su diario.",
     "Salida: 0 si ninguna estación necesita atención; 4 si alguna la necesita (sin señal, "
     "detenida por falla, documento retenido, sin papel) o no se pudo leer el estado; 2 si no se "
     "empezó.",
     ActionNeeds::Directory, nullptr,
     [](const ActionRun &run) { return showStatusAt(run.directory, run.out); }},
    {"paquete-soporte", "ARCHIVO",
     "Escribe en ARCHIVO (.tar.gz; .zip en Windows) un paquete para el soporte técnico: los "
     "registros de la estación, ImpresorFiscal.inf, robot-fiscal.ini sin la clave, el "
     "diagnóstico, la conciliación, la versión y una copia del diario de impresión. No imprime "
     "nada.",
     "Salida: 0 si el paquete quedó escrito; 4 si no; 2 si no se empezó.", ActionNeeds::Directory,
     fileWhereStanding,
     [](const ActionRun &run) {
         return writeSupportBundleOf(run.directory, run.line.value, run.out);
     }},
    {"version", nullptr, "Muestra la versión del programa y termina.", "Salida: 0.",
     ActionNeeds::Nothing, nullptr,
     [](const ActionRun &run) {
         run.out << versionLine() << Qt::endl;
         return ExitCode::Done;
     }},
    {"help", nullptr, "Muestra esta ayuda y termina (también -h).", "Salida: 0.",
     ActionNeeds::Nothing, nullptr,
     [](const ActionRun &run) {
         run.out << commandLineHelp(programActions());
         return ExitCode::Done;
     }},
};

} // namespace

std::span<const Action> programActions() {
    return kActions;
}

} // namespace robot
