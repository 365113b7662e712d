// Creates a ready data directory for trying the station: configuration file, marker file and
// an SQLite document database with pending invoices and credit notes for fiscal machine 1.

#include "db/DocumentSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "Uso: robot-fiscal-demo DIRECTORIO\n");
        return 2;
    }
    const QString directory = QDir(args[1]).absolutePath();
    QString error;
    if (!createDemoDirectory(directory, &error)) {
        std::fprintf(stderr, "No se pudo crear la demostración en %s: %s\n", qPrintable(directory),
                     qPrintable(error));
        return 1;
    }
    std::printf("Directorio de demostración listo: %s\n", qPrintable(directory));
    return 0;
}
