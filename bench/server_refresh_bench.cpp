// RefrescaListas on a PostgreSQL server holding 10 000 and then 1 000 000 printed invoices and
// as many printed credit notes (four fiscal machines), plus a few pending ones: the refresh runs
// every second on every station, so it must not grow with the printed history.
//
//   build/bin/bench-server-refresh [REFRESHES]     (default 2000)

#include "db/DocumentDatabase.h"
#include "db/PendingSources.h"
#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

namespace robot {

namespace {

bool fill(const QString &address, int printed) {
    DocumentConnection db;
    QString error;
    if (!db.open(address, QStringLiteral("relleno"), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    QSqlQuery query(db.database());
    for (const QString &table : {QStringLiteral("Ventas"), QStringLiteral("NotaCréditoVenta")}) {
        const QString sql =
            QStringLiteral("INSERT INTO \"%1\" (\"Código\", \"Fecha\", \"NombreCliente\", "
                           "\"RIF\", \"Control\", \"Impresa\", \"Imprimir\", \"Anulada\", "
                           "\"Local\", \"MáquinaFiscal\") SELECT i, '2026-01-01', 'Cliente', "
                           "'V1', CASE WHEN i <= %2 THEN i::text END, CASE WHEN i <= %2 THEN -1 "
                           "ELSE 0 END, CASE WHEN i <= %2 THEN 0 ELSE -1 END, 0, 0, 1 + i % 4 "
                           "FROM generate_series(1, %2 + 5) AS i")
                .arg(table)
                .arg(printed);
        if (!query.exec(sql)) {
            std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
            return false;
        }
    }
    return query.exec(QStringLiteral("VACUUM ANALYZE"));
}

double millisecondsPerRefresh(const QString &address, int refreshes) {
    PendingSources sources(address, 2);
    sources.RefrescaListas(); // opens the connection
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < refreshes; ++i)
        sources.RefrescaListas();
    return double(timer.nsecsElapsed()) / refreshes / 1e6;
}

} // namespace

} // namespace robot

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int refreshes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    robot::PostgresServer server;
    double perRefresh[2] = {0, 0};
    const int sizes[2] = {10000, 1000000};
    for (int i = 0; i < 2; ++i) {
        const QString address =
            server.createDocumentDatabase(QStringLiteral("impresas_%1").arg(sizes[i]));
        QElapsedTimer timer;
        timer.start();
        if (address.isEmpty() || !robot::fill(address, sizes[i])) {
            std::fprintf(stderr, "%s\n", qPrintable(server.problem()));
            return 1;
        }
        std::printf("%d facturas y %d notas impresas (más 5 pendientes de cada tipo) en %.1f s\n",
                    sizes[i], sizes[i], timer.elapsed() / 1000.0);
        perRefresh[i] = robot::millisecondsPerRefresh(address, refreshes);
        std::printf("  RefrescaListas: %.3f ms por actualización (%d actualizaciones)\n",
                    perRefresh[i], refreshes);
    }
    std::printf("Razón 1 000 000 / 10 000 impresos: %.2f\n", perRefresh[1] / perRefresh[0]);
    return 0;
}
