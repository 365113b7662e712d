// Measures RefrescaListas on a document database holding many printed documents and a few
// pending ones: the refresh runs every second, so it must stay cheap as the tables grow. The
// same file is then refreshed through ODBC (unixODBC's SQLite3 driver), in process (Qt's QODBC)
// and through the bridge's ODBC channel, with the Access statements.
//
//   build/bin/bench-refresh [PRINTED_DOCUMENTS] [REFRESHES]     (defaults: 1000000 and 2000)

#include "db/DocumentSchema.h"
#include "db/OdbcSource.h"
#include "db/PendingSources.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

using namespace robot;

namespace {

void fill(const QString &path, int printed) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(path);
    db.open();
    db.transaction();
    QSqlQuery invoice(db), credit(db);
    invoice.prepare(QStringLiteral(
        "INSERT INTO Ventas (Código, Fecha, NombreCliente, RIF, Control, Impresa, Imprimir, "
        "Anulada, Local, MáquinaFiscal) VALUES (?, '2026-01-01', 'Cliente', 'V1', ?, ?, ?, 0, 0, "
        "?)"));
    credit.prepare(QStringLiteral(
        "INSERT INTO NotaCréditoVenta (Código, Fecha, NombreCliente, RIF, Control, Impresa, "
        "Imprimir, Anulada, Local, MáquinaFiscal) VALUES (?, '2026-01-01', 'Cliente', 'V1', ?, ?, "
        "?, 0, 0, ?)"));
    for (int i = 1; i <= printed + 5; ++i) {
        const bool pending = i > printed;
        for (QSqlQuery *q : {&invoice, &credit}) {
            q->addBindValue(i);
            q->addBindValue(pending ? QVariant() : QVariant(QString::number(i)));
            q->addBindValue(pending ? 0 : -1);
            q->addBindValue(pending ? -1 : 0);
            q->addBindValue(1 + i % 4); // four stations share the database
            q->exec();
        }
    }
    db.commit();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int printed = args.size() > 1 ? args[1].toInt() : 1000000;
    const int refreshes = args.size() > 2 ? args[2].toInt() : 2000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Base de Datos.dba"));
    if (const Result<void> created = createDocumentDatabase(path); !created.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(created.error()));
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    fill(path, printed);
    std::printf("%d facturas y %d notas impresas (más 5 pendientes de cada tipo) en %.1f s\n",
                printed, printed, timer.elapsed() / 1000.0);

    const auto measure = [refreshes](const char *what, const QString &location) {
        PendingSources sources(location, 2);
        if (!sources.RefrescaListas()) { // opens the connection
            std::fprintf(stderr, "%s: %s\n", what, qPrintable(sources.lastError()));
            return;
        }
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < refreshes; ++i)
            sources.RefrescaListas();
        const double perRefresh = double(timer.nsecsElapsed()) / refreshes / 1e6;
        std::printf("RefrescaListas, %s: %.3f ms por actualización (%d actualizaciones, %lld + "
                    "%lld pendientes de la caja 2)\n",
                    what, perRefresh, refreshes, static_cast<long long>(sources.invoices().size()),
                    static_cast<long long>(sources.creditNotes().size()));
    };
    measure("SQLite", path);
    OdbcSource odbc{QStringLiteral("Driver={SQLite3};Database=%1;").arg(path), false,
                    OdbcSource::Dialect::Access};
    measure("ODBC en el programa", odbc.remember());
    odbc.throughBridge = true;
    measure("ODBC por el puente", odbc.remember());
    return 0;
}
