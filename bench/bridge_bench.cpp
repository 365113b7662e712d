// Measures what the bridge program costs a printer call: the same NumeroCupon, first on the
// library loaded in process, then through robot-fiscal-printer-bridge over its pipes.
//
//   build/bin/bench-bridge [CALLS [LIBRARY]]
//
// Defaults: 2000 calls on the virtual printer (which reads its fault rules and state files on
// every call). build/bin/libecho_printer.so answers at once and so shows the
// bridge's own cost.

#include "printer/BridgePrinter.h"
#include "printer/LibraryPrinter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace robot;

namespace {

// Milliseconds for `calls` calls, or -1 when a call answered otherwise than the first.
double time(FiscalPrinter &printer, int calls) {
    QString buffer(6, u' ');
    const short expected = printer.NumeroCupon(buffer).code; // the bridge starts on its first call
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < calls; ++i) {
        buffer.fill(u' ', 6);
        if (printer.NumeroCupon(buffer).code != expected)
            return -1;
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int calls = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    QTemporaryDir printerDir;
    qputenv("VIRTUAL_PRINTER_DIR", printerDir.path().toUtf8());
    const QString bin = QCoreApplication::applicationDirPath();
    const QString library = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                     : bin + QStringLiteral("/libvirtual-fiscal-printer.so");

    LibraryPrinter inProcess(library);
    robot::BridgePrinter bridged({bin + QStringLiteral("/robot-fiscal-printer-bridge")}, library);
    const double local = time(inProcess, calls);
    const double remote = time(bridged, calls);
    if (local < 0 || remote < 0) {
        std::fprintf(stderr, "the library answered a call differently\n");
        return 1;
    }
    std::printf("%d NumeroCupon calls: in process %.1f ms (%.1f us a call), through the bridge "
                "%.1f ms (%.1f us a call), ratio %.1f\n",
                calls, local, local * 1000 / calls, remote, remote * 1000 / calls, remote / local);
    return 0;
}
