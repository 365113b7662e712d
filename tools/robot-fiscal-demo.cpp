// Creates a ready data directory for trying the station: configuration file, marker file and
// a document database with pending invoices and credit notes for fiscal machine 1: an SQLite
// file in the directory, or, with --server, the tables on a PostgreSQL server and a
// robot-fiscal.ini that points at them. With --vacia, the data directory of a station set up
// by hand instead: the marker file and an empty database with the company record.

#include "commands/ArgumentScanner.h"
#include "core/ExitCode.h"
#include "core/Version.h"
#include "demo/DemoData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace robot;

namespace {

QString help() {
    return QStringLiteral("Uso: robot-fiscal-demo DIRECTORIO [--server CONEXIÓN]\n"
                          "     robot-fiscal-demo DIRECTORIO --vacia [--rif RIF]\n\n") +
           wrappedText(QStringLiteral("Crea en DIRECTORIO un directorio de datos de "
                                      "demostración: ImpresorFiscal.inf, el archivo de marca y "
                                      "una base de datos con facturas y notas de crédito "
                                      "pendientes para la caja 1."),
                       0) +
           QStringLiteral("\n  --server CONEXIÓN\n") +
           wrappedText(QStringLiteral("Pone las tablas y los documentos en un servidor "
                                      "PostgreSQL (CONEXIÓN como la entiende libpq, por ejemplo "
                                      "\"host=SERVIDOR dbname=tienda user=robot\") y escribe en "
                                      "DIRECTORIO el robot-fiscal.ini que lo nombra."),
                       6) +
           QStringLiteral("  --vacia\n") +
           wrappedText(QStringLiteral("Crea en cambio el directorio de datos de una estación "
                                      "sin administración: el archivo de marca y una base de "
                                      "datos vacía (sin documentos) con el registro de la "
                                      "empresa. No escribe ImpresorFiscal.inf ni toca una base "
                                      "de datos que ya exista."),
                       6) +
           QStringLiteral("  --rif RIF\n") +
           wrappedText(QStringLiteral("Con --vacia: el RIF de la empresa, sin guiones "
                                      "(J123456789). Sin él queda %1, que debe cambiarse.")
                           .arg(QLatin1String(kPlaceholderRif)),
                       6) +
           versionHelpAndStatuses(QStringLiteral(
               "0 demostración o directorio de datos creado; 2 argumentos que no se entienden; "
               "4 no se pudo crear."));
}

// --vacia: the data directory of a station set up by hand.
int createEmpty(const QString &directory, const QString &rif, QTextStream &out, QTextStream &err) {
    const QString database = QDir(directory).filePath(QStringLiteral("Base de Datos.dba"));
    if (QFileInfo::exists(database)) {
        err << QStringLiteral("Ya hay una base de datos en %1: no se toca, sus documentos se "
                              "perderían. Si es una vacía creada por error, bórrela y vuelva a "
                              "crear el directorio.")
                   .arg(QDir::toNativeSeparators(database))
            << Qt::endl;
        return exitStatus(ExitCode::NotDone);
    }
    const QString company = rif.isEmpty() ? QLatin1String(kPlaceholderRif) : rif;
    if (const Result<void> created = createEmptyDataDirectory(directory, company); !created.ok()) {
        err << QStringLiteral("No se pudo crear el directorio de datos en %1: %2 Compruebe que "
                              "la carpeta se pueda crear y escribir.")
                   .arg(QDir::toNativeSeparators(directory), created.error())
            << Qt::endl;
        return exitStatus(ExitCode::NotDone);
    }
    out << QStringLiteral("Directorio de datos listo: %1 (la marca y Base de Datos.dba sin "
                          "documentos, con el RIF %2). Escriba Datos:%3 en el "
                          "ImpresorFiscal.inf de la estación y compruébela con "
                          "robot-fiscal --check.")
               .arg(QDir::toNativeSeparators(directory), company,
                    QDir::toNativeSeparators(directory + u'/'))
        << Qt::endl;
    if (rif.isEmpty())
        out << QStringLiteral("El RIF %1 es provisional: borre esa Base de Datos.dba y "
                              "créela de nuevo con --rif y el RIF de la empresa.")
                   .arg(company)
            << Qt::endl;
    return exitStatus(ExitCode::Done);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const ScannedArguments args =
        scanArguments(QCoreApplication::arguments().mid(1),
                      {{QStringLiteral("help"), {}},
                       {QStringLiteral("version"), {}},
                       {QStringLiteral("server"), QStringLiteral("CONEXIÓN")},
                       {QStringLiteral("vacia"), {}},
                       {QStringLiteral("rif"), QStringLiteral("RIF")}});
    QString server;
    bool empty = false;
    QString rif;
    for (const ScannedArguments::Given &option : args.options) {
        if (!args.problem.isEmpty())
            break;
        if (option.name == QStringLiteral("help")) {
            out << help();
            return exitStatus(ExitCode::Done);
        }
        if (option.name == QStringLiteral("version")) {
            out << QStringLiteral("robot-fiscal-demo ") << kVersion << Qt::endl;
            return exitStatus(ExitCode::Done);
        }
        if (option.name == QStringLiteral("vacia"))
            empty = true;
        else if (option.name == QStringLiteral("rif"))
            rif = option.value.trimmed();
        else
            server = option.value;
    }
    QString problem = args.problem;
    if (problem.isEmpty() && args.positional.size() != 1)
        problem = args.positional.isEmpty()
                      ? QStringLiteral("Indique el directorio que se creará.")
                      : QStringLiteral("Argumento desconocido «%1».").arg(args.positional[1]);
    if (problem.isEmpty() && empty && !server.isEmpty())
        problem =
            QStringLiteral("--vacia crea una base de datos en un archivo: no va con --server.");
    if (problem.isEmpty() && !empty && !rif.isEmpty())
        problem = QStringLiteral("--rif solo sirve con --vacia.");
    if (!problem.isEmpty()) {
        err << problem << QStringLiteral(" Las opciones se ven con robot-fiscal-demo --help.")
            << Qt::endl;
        return exitStatus(ExitCode::Refused);
    }

    const QString directory = QDir(args.positional[0]).absolutePath();
    if (empty)
        return createEmpty(directory, rif, out, err);
    const Result<void> created = !server.isEmpty() ? robot::createServerDemo(directory, server)
                                                   : createDemoDirectory(directory);
    if (!created.ok()) {
        err << QStringLiteral("No se pudo crear la demostración en %1: %2")
                   .arg(QDir::toNativeSeparators(directory), created.error())
            << Qt::endl;
        return exitStatus(ExitCode::NotDone);
    }
    out << QStringLiteral("Directorio de demostración listo: %1")
               .arg(QDir::toNativeSeparators(directory))
        << Qt::endl;
    return exitStatus(ExitCode::Done);
}
