// The longest stall of the station's event loop while it prints one invoice on the virtual
// printer whose printing calls each take DELAY_MS (its fault rule "delay"): a repaint or a
// click of the window waits at most that long.
//
//   build/bin/bench-print-stall [DELAY_MS [LINES]]     (default 1000 ms, 3 lines)

#include "app/Station.h"
#include "app/StderrMessages.h"
#include "app/SystemClock.h"
#include "core/StationLog.h"
#include "printer/StationPrinter.h"
#include "support/DocumentFixture.h"
#include "support/StationProgram.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <utility>

using namespace robot;

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int delayMs = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    const int lines = argc > 2 ? QByteArray(argv[2]).toInt() : 3;
    QTemporaryDir printerDir;
    qputenv("VIRTUAL_PRINTER_DIR", printerDir.path().toUtf8());
    writeFaults(printerDir.path(), QStringLiteral("delay %1").arg(delayMs));

    DocumentFixture docs;
    docs.setConfiguration();
    docs.addInvoice(1);
    for (int line = 1; line <= lines; ++line)
        docs.addInvoiceLine(1, line, 1, 10 * line);
    Settings settings;
    settings.RutaBaseDatos = docs.databasePath();
    settings.RutaDatos = docs.directory();
    settings.RutaAplicacion = docs.directory();
    settings.Caja = 1;
    StderrMessages messages;
    SystemClock clock;
    StationLog log(docs.directory() + QStringLiteral("robot-fiscal.log"));
    Station station(settings, messages, clock, log, makeStationPrinter(virtualPrinterPath()));
    station.prepare();
    station.robot().stopByOperator(); // started again for the one measured tick

    // A beat every 5 ms, as a window's repaints and clicks would come: the longest gap between
    // two beats is the longest the window could not answer.
    QElapsedTimer sinceBeat;
    qint64 longest = 0;
    QTimer beat;
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout,
                     [&] { longest = std::max(longest, sinceBeat.restart()); });
    // First two seconds with nothing to do: what the machine itself costs the beat.
    sinceBeat.start();
    beat.start();
    QTimer::singleShot(2000, [] { QCoreApplication::exit(); });
    QCoreApplication::exec();
    const qint64 idle = std::exchange(longest, 0);

    QElapsedTimer total;
    total.start();
    sinceBeat.restart();
    station.robot().startByOperator();
    station.robot().tick();
    longest = std::max(longest, sinceBeat.elapsed());
    const bool printed = readPaper(printerDir.path()).contains(QStringLiteral(" CERRADO"));
    std::printf("Factura de %d líneas, cada llamada de impresión %d ms: %s en %lld ms; "
                "la pausa más larga del bucle de eventos: %lld ms (sin imprimir: %lld ms)\n",
                lines, delayMs, printed ? "impresa" : "NO impresa", total.elapsed(), longest, idle);
    return printed ? 0 : 1;
}
