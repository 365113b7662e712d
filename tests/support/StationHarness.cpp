#include "support/StationHarness.h"

#include "printer/StationPrinter.h"

namespace robot {

StationHarness::StationHarness(const QString &serverAddress)
    : docs(serverAddress), log(docs.directory() + QStringLiteral("robot-fiscal.log")) {
    qputenv("VIRTUAL_PRINTER_DIR", printerDir.path().toUtf8());
    docs.setConfiguration();
}

StationHarness::~StationHarness() {
    station.reset();
    qunsetenv("VIRTUAL_PRINTER_DIR");
}

void StationHarness::create(int caja, const QString &library) {
    Settings settings;
    settings.RutaBaseDatos = docs.databasePath();
    settings.RutaDatos = docs.directory();
    settings.RutaAplicacion = docs.directory();
    settings.Caja = caja;
    settings.alerts = alerts;
    // In process, or through the bridge when FISCAL_PRINTER_BRIDGE names it.
    auto recording = std::make_unique<RecordingPrinter>(
        robot::makeStationPrinter(library.isEmpty() ? virtualPrinterPath() : library));
    printer = recording.get();
    station = std::make_unique<Station>(settings, messages, clock, log, std::move(recording));
}

void StationHarness::start(int caja, const QString &library) {
    create(caja, library);
    station->prepare();
}

void StationHarness::runUntilIdle(int maxTicks) {
    bool idle = false;
    const auto connection =
        QObject::connect(&station->robot(), &Robot::tickFinished, [&](Robot::TickOutcome outcome) {
            idle = outcome != Robot::TickOutcome::Printed;
        });
    for (int i = 0; i < maxTicks && !idle && station->robot().running(); ++i)
        station->robot().tick();
    QObject::disconnect(connection);
}

QString StationHarness::paper() const {
    return readPaper(printerDir.path());
}

QVariant StationHarness::field(const QString &table, int codigo, const QString &column) {
    return docs.value(QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE \"Código\" = %3")
                          .arg(column, table)
                          .arg(codigo));
}

} // namespace robot
