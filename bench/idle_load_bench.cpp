// The load that idle stations put on the database server: STATIONS station programs (fiscal
// machines 1 to STATIONS) run headless on one private PostgreSQL server with nothing pending,
// and the server counts the statements that reach it over SECONDS seconds.
//
//   build/bin/bench-idle-load [STATIONS [SECONDS]]     (defaults: 50 and 20)
//
// Each station also keeps its status row on the server (a write on a change and every 30 s):
// use SECONDS of 60 or more to see it; docs/mediciones.md has the figures with and without.

#include "db/DatabaseSettings.h"
#include "db/DocumentDatabase.h"
#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>
#include <vector>

using namespace robot;

namespace {

// Statements the server has finished in the database, each one its own transaction.
qint64 statements(const QString &address) {
    DocumentConnection db;
    if (!db.open(address, QStringLiteral("contador")).ok())
        return -1;
    QSqlQuery query(db.database());
    // Counters reach the statistics within a second of each statement; wait them in.
    QTest::qWait(1500);
    query.exec(QStringLiteral("SELECT pg_stat_clear_snapshot()"));
    if (!query.exec(QStringLiteral("SELECT xact_commit + xact_rollback FROM pg_stat_database "
                                   "WHERE datname = current_database()")) ||
        !query.next())
        return -1;
    return query.value(0).toLongLong();
}

// Statements a second while `stations` station programs idle on `address`.
double idleLoad(const QString &address, int stations, int seconds) {
    QTemporaryDir root;
    std::vector<std::unique_ptr<QProcess>> running;
    for (int caja = 1; caja <= stations; ++caja) {
        const QString dir = root.filePath(QString::number(caja));
        QDir().mkpath(dir);
        QFile config(dir + QStringLiteral("/ImpresorFiscal.inf"));
        config.open(QIODevice::WriteOnly);
        // A printer of its own each: one printer serves one program at a time on a computer.
        config.write(QStringLiteral("Datos:%1/\r\nImpresora:BEMATECH\r\nPuerto:COM1\r\n"
                                    "80Columnas:-1\r\nSerial:REPOSO-%2\r\nCaja:%2\r\n")
                         .arg(dir)
                         .arg(caja)
                         .toLatin1());
        config.close();
        QFile(dir + QStringLiteral("/ActualizadorAlmacoraTerminal.inf")).open(QIODevice::WriteOnly);
        (void)writeServerSettings(dir, *serverAddress(address), {});
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VIRTUAL_PRINTER_DIR"), dir + QStringLiteral("/papel"));
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationDirPath() + QStringLiteral("/robot-fiscal"),
                       {QStringLiteral("--headless"), QStringLiteral("--dir"), dir});
        running.push_back(std::move(process));
    }
    QTest::qWait(10000); // every station connected and ticking
    const qint64 before = statements(address);
    QTest::qWait(seconds * 1000);
    const qint64 after = statements(address);
    for (const auto &process : running) {
        process->kill();
        process->waitForFinished();
    }
    if (before < 0 || after < 0)
        return -1;
    // The counting connection's own few statements are left in: a fraction of one a second.
    return double(after - before) / seconds;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int stations = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50;
    const int seconds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 20;
    robot::PostgresServer server;
    const QString address = server.createDocumentDatabase(QStringLiteral("reposo"));
    if (address.isEmpty() ||
        !server.exec(QStringLiteral("reposo"),
                     QStringLiteral("INSERT INTO \"Configuración\" VALUES ('J1', -1, 0, 0)"))) {
        std::fprintf(stderr, "%s\n", qPrintable(server.problem()));
        return 1;
    }
    const double notified = idleLoad(address, stations, seconds);
    // The same stations on a back office whose writes announce nothing: only the tick remains.
    const bool dropped =
        server.exec(QStringLiteral("reposo"),
                    QStringLiteral("DROP TRIGGER \"Ventas pendiente\" ON \"Ventas\"")) &&
        server.exec(QStringLiteral("reposo"),
                    QStringLiteral("DROP TRIGGER \"NotaCréditoVenta pendiente\" ON "
                                   "\"NotaCréditoVenta\""));
    const double ticking = dropped ? idleLoad(address, stations, seconds) : -1;
    if (notified < 0 || ticking < 0) {
        std::fprintf(stderr, "No se pudieron leer los contadores del servidor. %s\n",
                     qPrintable(server.problem()));
        return 1;
    }
    std::printf("%d estaciones en reposo, sentencias por segundo en el servidor:\n", stations);
    std::printf("  con avisos del servidor: %.1f (%.2f por estación)\n", notified,
                notified / stations);
    std::printf("  sin avisos (solo el tick): %.1f (%.2f por estación)\n", ticking,
                ticking / stations);
    std::printf("  Razón: %.2f\n", notified / ticking);
    return 0;
}
