#include "app/TechnicianActions.h"

#include "app/Station.h"
#include "app/StationCheck.h"
#include "commands/StationReconciliation.h"
#include "commands/StatusReport.h"
#include "commands/SupportBundle.h"
#include "core/StationFiles.h"
#include "core/Version.h"
#include "db/ServerAddress.h"
#include "printer/StationPrinter.h"

#include <QDir>
#include <QTextStream>

namespace robot {

QString versionLine() {
    QString line = QStringLiteral("robot-fiscal ") + QLatin1String(kVersion);
    if (kCommit[0] != '\0')
        line += QStringLiteral(" (git ") + QLatin1String(kCommit) + u')';
    return line;
}

ReconciliationSources reconciliationSources(const Settings &settings) {
    return {settings.RutaBaseDatos, StationFiles(settings.RutaAplicacion).journal(), settings.Caja};
}

ExitCode reconcileStationAt(const QString &directory, const CommandLine &line, QTextStream &out) {
    const Result<Settings> startup = startStation(directory);
    if (!startup.ok()) {
        out << startup.error() << Qt::endl;
        return ExitCode::Refused;
    }
    const std::unique_ptr<FiscalPrinter> printer = makeStationPrinter();
    return runReconciliation(reconciliationSources(startup.value()), *printer, line.from, line.to,
                             line.csv, out);
}

ExitCode showStatusAt(const QString &directory, QTextStream &out) {
    const Result<Settings> startup = startStation(directory);
    if (!startup.ok()) {
        out << startup.error() << Qt::endl;
        return ExitCode::Refused;
    }
    const Settings &settings = startup.value();
    if (serverAddress(settings.RutaBaseDatos))
        return reportServerStatus(settings.RutaBaseDatos, out);
    return reportJournalStatus(StationFiles(directory).journal(), settings.Caja, out);
}

namespace {

ExitCode bundle(const QString &directory, SupportReports &reports, const QString &archive,
                QTextStream &out) {
    reports.version = versionLine() + u'\n';
    if (const Result<void> written = writeSupportBundle(directory, reports, archive);
        !written.ok()) {
        out << QStringLiteral("No se pudo escribir el paquete de soporte %1: %2")
                   .arg(QDir::toNativeSeparators(archive), written.error())
            << Qt::endl;
        return ExitCode::NotDone;
    }
    out << QStringLiteral("Paquete de soporte escrito: %1").arg(QDir::toNativeSeparators(archive))
        << Qt::endl;
    return ExitCode::Done;
}

} // namespace

ExitCode writeSupportBundleOf(const QString &directory, const QString &archive, QTextStream &out) {
    SupportReports reports;
    QTextStream check(&reports.check);
    checkStation(directory, check);
    QTextStream reconciliation(&reports.reconciliation);
    reconcileStationAt(directory, CommandLine{}, reconciliation);
    return bundle(directory, reports, archive, out);
}

ExitCode writeSupportBundleOf(const Settings &running, FiscalPrinter &printer,
                              const QString &archive, QTextStream &out) {
    SupportReports reports;
    StationCheck check(running.RutaAplicacion, printer);
    check.setLockHeldByThisStation(true);
    reports.check = StationCheck::report(check.run());
    QTextStream reconciliation(&reports.reconciliation);
    runReconciliation(reconciliationSources(running), printer, {}, {}, {}, reconciliation);
    return bundle(running.RutaAplicacion, reports, archive, out);
}

} // namespace robot
