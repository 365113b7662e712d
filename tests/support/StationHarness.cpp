#include "support/StationHarness.h"

#include "printer/StationPrinter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

StationHarness::StationHarness() : log(docs.directory() + QStringLiteral("robot-fiscal.log")) {
    qputenv("VIRTUAL_PRINTER_DIR", printerDir.path().toUtf8());
    docs.setConfiguration();
}

StationHarness::~StationHarness() {
    station.reset();
    qunsetenv("VIRTUAL_PRINTER_DIR");
}

QString StationHarness::virtualPrinterPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libvirtual-fiscal-printer.so");
}

void StationHarness::start(int caja) {
    Settings settings;
    settings.RutaBaseDatos = docs.databasePath();
    settings.RutaDatos = docs.directory();
    settings.RutaAplicacion = docs.directory();
    settings.Caja = caja;
    // In process, or through the bridge when FISCAL_PRINTER_BRIDGE names it.
    auto recording = std::make_unique<RecordingPrinter>(
        robot::makeStationPrinter(virtualPrinterPath(), &messages));
    printer = recording.get();
    station = std::make_unique<Station>(settings, messages, clock, log, std::move(recording));
    station->prepare();
}

void StationHarness::runUntilIdle(int maxTicks) {
    bool idle = false;
    const auto connection =
        QObject::connect(&station->robot, &Robot::tickFinished, [&](Robot::TickOutcome outcome) {
            idle = outcome != Robot::TickOutcome::Printed;
        });
    for (int i = 0; i < maxTicks && !idle && station->robot.timerEnabled(); ++i)
        station->robot.tick();
    QObject::disconnect(connection);
}

QString StationHarness::paper() const {
    QFile file(printerDir.filePath(QStringLiteral("paper.txt")));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

void StationHarness::setFaults(const QString &rules) {
    QFile file(printerDir.filePath(QStringLiteral("faults")));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(rules.toUtf8());
}

QVariant StationHarness::field(const QString &table, int codigo, const QString &column) {
    return docs.value(
        QStringLiteral("SELECT [%1] FROM [%2] WHERE Código = %3").arg(column, table).arg(codigo));
}
