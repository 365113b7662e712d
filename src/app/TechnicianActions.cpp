#include "app/TechnicianActions.h"

#include "app/Station.h"
#include "commands/StationCheck.h"
#include "commands/StationReconciliation.h"
#include "commands/SupportBundle.h"
#include "core/Version.h"
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

ExitCode reconcileStationAt(const QString &directory, const CommandLine &line, QTextStream &out) {
    const StartupResult startup = startStation(directory);
    if (!startup.ok) {
        out << startup.message << Qt::endl;
        return ExitCode::Refused;
    }
    const auto printer = makeStationPrinter();
    const ReconciliationSources sources{
        startup.settings.RutaBaseDatos,
        QDir(directory).filePath(QStringLiteral("robot-fiscal-diario.db")), startup.settings.Caja};
    return runReconciliation(sources, *printer, line.from, line.to, line.csv, out);
}

ExitCode writeSupportBundleOf(const QString &directory, const QString &archive, QTextStream &out) {
    SupportReports reports;
    QTextStream check(&reports.check);
    checkStation(directory, check);
    QTextStream reconciliation(&reports.reconciliation);
    reconcileStationAt(directory, CommandLine{}, reconciliation);
    reports.version = versionLine() + u'\n';
    QString error;
    if (!writeSupportBundle(directory, reports, archive, &error)) {
        out << QStringLiteral("No se pudo escribir el paquete de soporte %1: %2")
                   .arg(QDir::toNativeSeparators(archive), error)
            << Qt::endl;
        return ExitCode::NotDone;
    }
    out << QStringLiteral("Paquete de soporte escrito: %1").arg(QDir::toNativeSeparators(archive))
        << Qt::endl;
    return ExitCode::Done;
}

} // namespace robot
