// The load that idle stations put on the database server: STATIONS station programs (fiscal
// machines 1 to STATIONS) run headless on one private PostgreSQL server with nothing pending,
// and the server counts the statements that reach it over SECONDS seconds.
//
//   build/bin/bench-idle-load [STATIONS [SECONDS]]     (defaults: 50 and 20)

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

namespace robot {

namespace {

// Statements the server has finished in the database, each one its own transaction.
qint64 statements(const QString &address) {
    DocumentConnection db;
    QString error;
    if (!db.open(address, QStringLiteral("contador"), &error))
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

} // namespace

} // namespace robot

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
    QTemporaryDir root;
    std::vector<std::unique_ptr<QProcess>> running;
    for (int caja = 1; caja <= stations; ++caja) {
        const QString dir = root.filePath(QString::number(caja));
        QDir().mkpath(dir);
        QFile config(dir + QStringLiteral("/ImpresorFiscal.inf"));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("Datos:%1/\r\nImpresora:BEMATECH\r\nPuerto:COM1\r\n"
                                    "80Columnas:-1\r\nSerial:X\r\nCaja:%2\r\n")
                         .arg(dir)
                         .arg(caja)
                         .toLatin1());
        config.close();
        QFile(dir + QStringLiteral("/ActualizadorAlmacoraTerminal.inf")).open(QIODevice::WriteOnly);
        QString error;
        robot::writeServerSettings(dir, *robot::serverAddress(address), {}, &error);
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
    const qint64 before = robot::statements(address);
    QTest::qWait(seconds * 1000);
    const qint64 after = robot::statements(address);
    for (const auto &process : running) {
        process->kill();
        process->waitForFinished();
    }
    if (before < 0 || after < 0) {
        std::fprintf(stderr, "No se pudieron leer los contadores del servidor.\n");
        return 1;
    }
    // The counting connection's own few statements are left in: a fraction of one a second.
    const double perSecond = double(after - before) / seconds;
    std::printf("%d estaciones en reposo: %.1f sentencias por segundo en el servidor (%.2f por "
                "estación)\n",
                stations, perSecond, perSecond / stations);
    return 0;
}
