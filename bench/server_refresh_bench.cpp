// RefrescaListas on a PostgreSQL server holding 10 000 and then 1 000 000 printed invoices and
// as many printed credit notes (four fiscal machines), plus a few pending ones: the refresh runs
// every second on every station, so it must not grow with the printed history.
//
//   build/bin/bench-server-refresh [REFRESHES]     (default 10000)

#include "db/DocumentDatabase.h"
#include "db/PendingSources.h"
#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace robot;

namespace {

bool fill(const QString &address, int printed) {
    DocumentConnection db;
    if (const Result<void> opened = db.open(address, QStringLiteral("relleno")); !opened.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
        return false;
    }
    QSqlQuery query(db.database());
    query.exec(QStringLiteral("SET statement_timeout = 0")); // a fill takes longer than a station's
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
    // Measured on a settled server: no vacuum or checkpoint of the fill running beside it.
    return query.exec(QStringLiteral("VACUUM ANALYZE")) && query.exec(QStringLiteral("CHECKPOINT"));
}

// Milliseconds per refresh, as the median of rounds that alternate between the databases, so
// that the load of a shared machine falls on both alike.
std::vector<double> millisecondsPerRefresh(const QStringList &addresses, int refreshes) {
    std::vector<std::unique_ptr<PendingSources>> sources;
    for (const QString &address : addresses) {
        sources.push_back(std::make_unique<PendingSources>(address, 2));
        for (int i = 0; i < 200; ++i) // opens the connection and warms the caches
            sources.back()->RefrescaListas();
    }
    constexpr int kRounds = 20;
    std::vector<std::vector<double>> rounds(addresses.size());
    for (int round = 0; round < kRounds; ++round) {
        for (std::size_t d = 0; d < sources.size(); ++d) {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < refreshes / kRounds; ++i)
                sources[d]->RefrescaListas();
            rounds[d].push_back(double(timer.nsecsElapsed()) / (refreshes / kRounds) / 1e6);
        }
    }
    std::vector<double> medians;
    for (auto &times : rounds) {
        std::sort(times.begin(), times.end());
        medians.push_back(times[times.size() / 2]);
    }
    return medians;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int refreshes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    robot::PostgresServer server;
    const int sizes[2] = {10000, 1000000};
    QStringList addresses;
    for (const int size : sizes) {
        const QString address =
            server.createDocumentDatabase(QStringLiteral("impresas_%1").arg(size));
        QElapsedTimer timer;
        timer.start();
        if (address.isEmpty() || !fill(address, size)) {
            std::fprintf(stderr, "%s\n", qPrintable(server.problem()));
            return 1;
        }
        std::printf("%d facturas y %d notas impresas (más 5 pendientes de cada tipo) en %.1f s\n",
                    size, size, timer.elapsed() / 1000.0);
        addresses << address;
    }
    const std::vector<double> perRefresh = millisecondsPerRefresh(addresses, refreshes);
    for (int i = 0; i < 2; ++i)
        std::printf("RefrescaListas con %d impresos: %.3f ms por actualización (mediana de 20 "
                    "rondas alternadas, %d actualizaciones en total)\n",
                    sizes[i], perRefresh[i], refreshes);
    std::printf("Razón 1 000 000 / 10 000 impresos: %.2f\n", perRefresh[1] / perRefresh[0]);
    return 0;
}
