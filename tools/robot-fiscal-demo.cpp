// Creates a ready data directory for trying the station: configuration file, marker file and
// a document database with pending invoices and credit notes for fiscal machine 1: an SQLite
// file in the directory, or, with --server, the tables on a PostgreSQL server and a
// robot-fiscal.ini that points at them.

#include "commands/ArgumentScanner.h"
#include "core/ExitCode.h"
#include "core/Version.h"
#include "demo/DemoData.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace robot;

namespace {

QString help() {
    return QStringLiteral("Uso: robot-fiscal-demo DIRECTORIO [--server CONEXIÓN]\n\n") +
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
           versionHelpAndStatuses(
               QStringLiteral("0 demostración creada; 2 argumentos que no se entienden; "
                              "4 no se pudo crear."));
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
                       {QStringLiteral("server"), QStringLiteral("CONEXIÓN")}});
    QString server;
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
        server = option.value;
    }
    QString problem = args.problem;
    if (problem.isEmpty() && args.positional.size() != 1)
        problem = args.positional.isEmpty()
                      ? QStringLiteral("Indique el directorio que se creará.")
                      : QStringLiteral("Argumento desconocido «%1».").arg(args.positional[1]);
    if (!problem.isEmpty()) {
        err << problem << QStringLiteral(" Las opciones se ven con robot-fiscal-demo --help.")
            << Qt::endl;
        return exitStatus(ExitCode::Refused);
    }

    const QString directory = QDir(args.positional[0]).absolutePath();
    QString error;
    const bool created = !server.isEmpty() ? robot::createServerDemo(directory, server, &error)
                                           : createDemoDirectory(directory, &error);
    if (!created) {
        err << QStringLiteral("No se pudo crear la demostración en %1: %2")
                   .arg(QDir::toNativeSeparators(directory), error)
            << Qt::endl;
        return exitStatus(ExitCode::NotDone);
    }
    out << QStringLiteral("Directorio de demostración listo: %1")
               .arg(QDir::toNativeSeparators(directory))
        << Qt::endl;
    return exitStatus(ExitCode::Done);
}
