// Commit-to-opening latency: the time from the back office's commit of an invoice to the
// printer's opening call, over DOCUMENTS invoices committed one at a time at random moments.
// First on an SQLite file, where the one-second tick finds them; then on a private PostgreSQL
// server, where the server's notification wakes the robot.
//
//   build/bin/bench-notify-latency [DOCUMENTS]     (default 50)

#include "app/Station.h"
#include "app/StderrMessages.h"
#include "app/SystemClock.h"
#include "core/StationLog.h"
#include "db/DocumentDatabase.h"
#include "db/DocumentSchema.h"
#include "printer/FiscalPrinter.h"
#include "printer/StationPrinter.h"
#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutex>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace robot;

namespace {

using Clock = std::chrono::steady_clock;

// The station's printer, noting when each invoice's coupon is opened.
class OpeningStamps : public FiscalPrinter {
public:
    explicit OpeningStamps(std::unique_ptr<FiscalPrinter> real) : real(std::move(real)) {}
    PrinterReply call(fiscal::RawCall &call) override {
        if (call.entryPoint == fiscal::EntryPoint::AbreComprobanteDeVentaEx)
            openings.push_back(Clock::now());
        return real->call(call);
    }
    std::vector<Clock::time_point> openings;

private:
    std::unique_ptr<FiscalPrinter> real;
};

// The back office on its own thread and connection: one invoice per transaction, 2.5 s apart
// plus up to a second at random, so commits fall anywhere in the station's tick.
class BackOffice : public QThread {
public:
    BackOffice(const QString &database, int documents) : database(database), documents(documents) {}
    std::vector<Clock::time_point> commits;
    QString error;

protected:
    void run() override {
        DocumentConnection db;
        if (const Result<void> opened = db.open(database, QStringLiteral("administracion"));
            !opened.ok()) {
            error = opened.error();
            return;
        }
        const Clock::time_point start = Clock::now() + std::chrono::seconds(2);
        for (int i = 1; i <= documents; ++i) {
            const auto due =
                start + std::chrono::milliseconds(2500 * (i - 1) +
                                                  QRandomGenerator::global()->bounded(1000));
            std::this_thread::sleep_until(due);
            QSqlDatabase connection = db.database();
            connection.transaction();
            QSqlQuery query(connection);
            const bool ok =
                query.exec(QStringLiteral("INSERT INTO \"Ventas\" (\"Código\", \"Fecha\", "
                                          "\"NombreCliente\", \"RIF\", \"Dirección\", "
                                          "\"PorcentImpuesto\", \"PlantillaAuxiliar\", "
                                          "\"MedioPago\", \"Descuento01\", \"Descuento02\", "
                                          "\"Descuento03\", \"Imprimir\", \"MáquinaFiscal\") "
                                          "VALUES (%1, '2026-12-06', 'Cliente %1', 'V%1', "
                                          "'Calle', 0.12, 0, 0, 0, 0, 0, -1, 1)")
                               .arg(i)) &&
                query.exec(QStringLiteral("INSERT INTO \"VentasDetalles\" (\"Venta\", \"Línea\", "
                                          "\"NoMostrarEnFactura\", \"Cantidad\", \"CantDec\", "
                                          "\"Precio\", \"ExcentoImpuesto\", \"Nombre\") "
                                          "VALUES (%1, 1, 0, 1, 1, 10, 0, 'Artículo')")
                               .arg(i));
            if (!ok || !connection.commit()) {
                error = QStringLiteral("factura %1: %2 %3")
                            .arg(i)
                            .arg(query.lastError().text(), connection.lastError().text());
                return;
            }
            commits.push_back(Clock::now());
        }
    }

private:
    QString database;
    int documents;
};

struct Figures {
    double median = 0;
    double p95 = 0;
    double worst = 0;
};

std::optional<Figures> measure(const QString &database, int documents) {
    QTemporaryDir dir, printerDir;
    qputenv("VIRTUAL_PRINTER_DIR", printerDir.path().toUtf8());
    {
        DocumentConnection db;
        if (const Result<void> opened = db.open(database, QStringLiteral("configuracion"));
            !opened.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
            return std::nullopt;
        }
        QSqlQuery(db.database())
            .exec(QStringLiteral("INSERT INTO \"Configuración\" VALUES ('J123456789', -1, 0, 0)"));
    }
    Settings settings;
    settings.RutaBaseDatos = database;
    settings.RutaDatos = dir.path() + u'/';
    settings.RutaAplicacion = dir.path();
    settings.Caja = 1;
    StderrMessages messages;
    SystemClock clock;
    StationLog log(dir.filePath(QStringLiteral("robot-fiscal.log")));
    auto stamped = std::make_unique<OpeningStamps>(makeStationPrinter());
    OpeningStamps &printer = *stamped;
    Station station(settings, messages, clock, log, std::move(stamped));
    station.prepare();

    BackOffice backOffice(database, documents);
    backOffice.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (int(printer.openings.size()) >= documents || backOffice.isFinished() ||
            station.robot().state() == Robot::State::StoppedAfterFailure)
            QCoreApplication::exit();
    });
    check.start(100);
    QCoreApplication::exec();
    backOffice.wait();
    check.stop();
    QTimer::singleShot(3000, [] { QCoreApplication::exit(); }); // the last document's opening
    if (int(printer.openings.size()) < documents)
        QCoreApplication::exec();
    if (!backOffice.error.isEmpty() || int(printer.openings.size()) < documents ||
        int(backOffice.commits.size()) < documents) {
        std::fprintf(stderr, "La medición no terminó (%d de %d aperturas): %s %s\n",
                     int(printer.openings.size()), documents, qPrintable(backOffice.error),
                     qPrintable(station.robot().statusText()));
        QFile logFile(dir.filePath(QStringLiteral("robot-fiscal.log")));
        logFile.open(QIODevice::ReadOnly);
        std::fprintf(stderr, "%s\n", logFile.readAll().constData());
        return std::nullopt;
    }
    std::vector<double> seconds;
    for (int i = 0; i < documents; ++i)
        seconds.push_back(
            std::chrono::duration<double>(printer.openings[i] - backOffice.commits[i]).count());
    std::sort(seconds.begin(), seconds.end());
    return Figures{seconds[seconds.size() / 2], seconds[(seconds.size() * 95 + 99) / 100 - 1],
                   seconds.back()};
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int documents = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50;

    QTemporaryDir fileDir;
    const QString file = fileDir.filePath(QStringLiteral("Base de Datos.dba"));
    if (const Result<void> created = createDocumentDatabase(file); !created.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(created.error()));
        return 1;
    }
    robot::PostgresServer server;
    const QString onServer = server.createDocumentDatabase(QStringLiteral("latencia"));
    if (onServer.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.problem()));
        return 1;
    }
    const auto tick = measure(file, documents);
    const auto notified = measure(onServer, documents);
    if (!tick || !notified)
        return 1;
    std::printf("Del commit a la apertura del cupón, %d facturas:\n", documents);
    std::printf(
        "  SQLite, tick de un segundo:       mediana %.2f s, percentil 95 %.2f s, peor %.2f s\n",
        tick->median, tick->p95, tick->worst);
    std::printf(
        "  PostgreSQL, aviso del servidor:   mediana %.2f s, percentil 95 %.2f s, peor %.2f s\n",
        notified->median, notified->p95, notified->worst);
    std::printf("  Razón de medianas: %.2f\n", notified->median / tick->median);
    return 0;
}
