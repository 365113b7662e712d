// Creates a ready data directory for trying the station: configuration file, marker file and
// a document database with pending invoices and credit notes for fiscal machine 1: an SQLite
// file in the directory, or, with --server, the tables on a PostgreSQL server and a
// robot-fiscal.ini that points at them.

#include "db/DocumentSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

using namespace robot;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const bool onServer = args.size() == 4 && args[2] == QStringLiteral("--server");
    if (args.size() != 2 && !onServer) {
        std::fprintf(stderr, "Uso: robot-fiscal-demo DIRECTORIO [--server \"CADENA DE CONEXIÓN "
                             "libpq\"]\n");
        return 2;
    }
    const QString directory = QDir(args[1]).absolutePath();
    QString error;
    const bool created = onServer ? robot::createServerDemo(directory, args[3], &error)
                                  : createDemoDirectory(directory, &error);
    if (!created) {
        std::fprintf(stderr, "No se pudo crear la demostración en %s: %s\n", qPrintable(directory),
                     qPrintable(error));
        return 1;
    }
    std::printf("Directorio de demostración listo: %s\n", qPrintable(directory));
    return 0;
}
