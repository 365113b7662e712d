#include "app/StationCheck.h"

#include "app/Configuration.h"
#include "app/StationCheckLines.h"
#include "commands/InformationQueries.h"
#include "core/ExitCode.h"
#include "core/OperatorMessages.h"
#include "core/StationFiles.h"
#include "db/DatabaseSettings.h"
#include "db/DocumentDatabase.h"
#include "db/PendingSources.h"
#include "db/ServerAddress.h"
#include "platform/PrinterLibraryLocation.h"
#include "platform/StationLock.h"
#include "printer/AnalizaRetorno.h"
#include "printer/FiscalPrinter.h"
#include "printer/StationPrinter.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>
#include <memory>

namespace robot {

namespace {

using namespace check;
using Outcome = CheckLine::Outcome;

// The printer's words for the check's line: what a message box would show, on one line.
class CollectedMessages : public OperatorMessages {
public:
    void show(const QString &text, MessageIcon, const QString &) override { texts << text; }
    QString text() const {
        static const QRegularExpression breaks(QStringLiteral("[\\r\\n]+"));
        return texts.join(u'\r').split(breaks, Qt::SkipEmptyParts).join(QStringLiteral("; "));
    }
    QStringList texts;
};

// What to do about the printer's status words, cause by cause.
QString printerRemedy(const PrinterReply &status) {
    QStringList remedies;
    if (status.notExecuted())
        remedies << QStringLiteral("La impresora no ejecutó la consulta: apáguela, enciéndala y "
                                   "repita el diagnóstico.");
    if (status.paperOut())
        remedies << QStringLiteral("Coloque un rollo de papel nuevo y cierre la tapa.");
    if (status.documentOpen())
        remedies << QStringLiteral("Anule el cupón abierto con «Anula Cupon» o termínelo.");
    if (status.printerFault())
        remedies << QStringLiteral("Revise la impresora (tapa cerrada, sin luz de error); "
                                   "apáguela y enciéndala.");
    if (status.fiscalMemoryFull())
        remedies << QStringLiteral("Su memoria fiscal está llena: llame al servicio técnico de "
                                   "la impresora.");
    if (remedies.isEmpty())
        remedies << QStringLiteral("Revise la impresora y repita el diagnóstico.");
    return remedies.join(u' ');
}

QString printerSource() {
    const QString library = shown(platform::printerLibraryPath());
    const QStringList bridge = platform::printerBridgeCommand();
    if (bridge.isEmpty())
        return QStringLiteral("librería %1").arg(library);
    return QStringLiteral("librería %1 por el puente %2").arg(library, bridge.join(u' '));
}

CheckLine printerLine(FiscalPrinter &printer, const QString &configuredSerial) {
    const QString source = printerSource();
    CollectedMessages told;
    const auto refusal = [&](const QString &remedy) {
        return failed(
            kPrinter,
            (told.texts.isEmpty() ? QStringLiteral("La impresora no respondió.") : told.text()) +
                QStringLiteral(" (%1).").arg(source),
            remedy);
    };
    // A refused query is explained in the printer's own words, as the buttons would.
    const auto refused = [&](const PrinterReply &reply) {
        if (reply.ok())
            return false;
        told.show(AnalizaRetorno(printer, QString(), QString(), reply, QString()).text,
                  MessageIcon::None, {});
        return true;
    };
    const QString unanswered = QStringLiteral("Compruebe que la impresora esté encendida y "
                                              "conectada al puerto que usa su librería.");
    const QString install = QStringLiteral("Instale la librería de la impresora donde la estación "
                                           "la busca o indíquela con FISCAL_PRINTER_LIBRARY.");
    InformationQueries queries(printer, told);
    const QueryAnswer serial = queries.ask(1);
    if (!serial.called)
        return failed(kPrinter, told.text(), install);
    if (refused(serial.reply))
        return refusal(unanswered);
    const QueryAnswer reductions = queries.ask(7);
    if (!reductions.called)
        return failed(kPrinter, told.text(), install);
    if (refused(reductions.reply))
        return refusal(unanswered);
    QString coupon(6, u' ');
    if (const PrinterReply read = printer.NumeroCupon(coupon); read.unavailable())
        return failed(kPrinter, read.faultText, install);
    else if (refused(read))
        return refusal(unanswered);
    // Paper, cover, an open coupon: the status words after the queries. Paper running low
    // alone does not keep the station from printing.
    const PrinterReply status = printer.RetornoImpresora();
    if (status.unavailable())
        return failed(kPrinter, status.faultText, install);
    const ReplyAnalysis analysis = analyseStatus(status, QString(), QString(), QString());
    const bool clear = analysis.accepted;
    if (!clear) {
        told.show(analysis.text, analysis.icon, {});
        if (!status.paperLowOnly())
            return refusal(printerRemedy(status));
    }

    const QString number = serial.answer.trimmed();
    CheckLine line{kPrinter,
                   Outcome::Ok,
                   QStringLiteral("serie %1, último cupón %2, reducciones Z %3 (%4).")
                       .arg(number, coupon.trimmed(), reductions.answer.trimmed(), source),
                   {}};
    QStringList remedies;
    if (!clear) {
        line.outcome = Outcome::Warning;
        line.detail += u' ' + told.text() + u'.';
        remedies << QStringLiteral("Tenga a mano un rollo de papel nuevo.");
    }
    if (!configuredSerial.isEmpty() && configuredSerial != number) {
        line.outcome = Outcome::Warning;
        line.detail +=
            QStringLiteral(" ImpresorFiscal.inf indica la serie %1.").arg(configuredSerial);
        remedies << QStringLiteral("Compruebe que esta sea la impresora de esta caja y "
                                   "corrija Serial: en ImpresorFiscal.inf.");
    }
    line.remedy = remedies.join(u' ');
    return line;
}

// A station already running on this Caja is no fault of the workstation: said plainly, and
// its printer left alone.
CheckLine runningStation(const QString &refusal) {
    return {kLock, Outcome::Warning, refusal,
            QStringLiteral("Nada, si esa estación debe estar funcionando: su ventana tiene este "
                           "diagnóstico («Opciones», «Diagnóstico»). Si no, ciérrela antes de "
                           "abrir esta.")};
}

// Taken into `lock` and `printerLock` (and, on a server, through `sources`), which the caller
// lets go once the printer has been asked.
CheckLine lockLine(const Settings &settings, bool heldHere, StationLock &lock,
                   StationLock &printerLock, PendingSources *sources) {
    if (heldHere)
        return {kLock,
                Outcome::Ok,
                QStringLiteral("la tiene esta estación (caja %1).").arg(settings.Caja),
                {}};
    if (const Result<void> locked = lock.acquire(settings.RutaDatos, settings.Caja); !locked.ok()) {
        const QString refusal = locked.error();
        if (refusal == stationLockRefusal(settings.Caja,
                                          StationLock::pathFor(settings.RutaDatos, settings.Caja)))
            return runningStation(refusal);
        return failed(kLock, refusal,
                      QStringLiteral("Compruebe que este usuario pueda escribir en la carpeta de "
                                     "datos."));
    }
    // Another station directory, or a technician's action, on the same printer.
    if (const Result<void> locked =
            printerLock.acquirePrinter(settings.SerialImpresora, settings.Puerto);
        !locked.ok())
        return failed(kLock, locked.error(),
                      QStringLiteral("Espere a que termine, o cierre la otra estación que usa "
                                     "esta impresora: dos estaciones no pueden compartirla."));
    if (const Result<void> claimed =
            sources ? sources->session().claimFiscalMachine() : Result<void>();
        !claimed.ok())
        return runningStation(claimed.error());
    return {kLock,
            Outcome::Ok,
            QStringLiteral("ninguna estación usa la caja %1 sobre estos datos.").arg(settings.Caja),
            {}};
}

} // namespace

QString CheckLine::text() const {
    static const char *const words[] = {"OK", "AVISO", "FALLA", "OMITIDA"};
    QString line =
        QStringLiteral("%1 %2: %3")
            .arg(QString::fromLatin1(words[int(outcome)]).leftJustified(7), name, detail);
    if (!remedy.isEmpty())
        line += QStringLiteral(" Qué hacer: ") + remedy;
    return line;
}

StationCheck::StationCheck(const QString &directory, FiscalPrinter &printer)
    : directory(directory), printer(printer) {}

QList<CheckLine> StationCheck::run() {
    QList<CheckLine> lines;
    const QString file = StationFiles(directory).configuration();
    const ConfigurationReading reading = LeeConfiguracion(file);
    lines << configurationLine(file, reading);
    const bool configured = reading.outcome == ConfigurationReading::Outcome::Ok;
    const Settings &settings = reading.settings;
    // Held while the printer is asked, so that no station starts a coupon meanwhile; a printer
    // another station is using is left alone.
    StationLock lock, printerLock;
    DocumentConnection connection;
    std::unique_ptr<PendingSources> sources;
    bool dataReachable = false;
    if (configured) {
        lines << dataDirectoryLine(settings);
        dataReachable = lines.last().outcome == Outcome::Ok;
        // The file in the data directory, or the server robot-fiscal.ini names.
        const Result<QString> location =
            documentDatabaseLocation(directory, settings.RutaBaseDatos);
        const bool inDataDirectory = location.ok() && !serverAddress(location.value()).has_value();
        QString why = QStringLiteral("falla la base de datos");
        if (inDataDirectory && !dataReachable) {
            why = QStringLiteral("falla el directorio de datos, donde está");
            lines << notRun(kDatabase, why);
        } else {
            lines << (location.ok() ? databaseLine(location.value(), connection)
                                    : failed(kDatabase, location.error(),
                                             QStringLiteral("Corrija robot-fiscal.ini.")));
        }
        if (lines.last().outcome == Outcome::Ok) {
            sources = std::make_unique<PendingSources>(location.value(), settings.Caja);
            lines << (cajaUsable(reading)
                          ? pendingLine(*sources, connection)
                          : notRun(kPending, QStringLiteral("falla el número de Caja")))
                  << companyLine(location.value());
        } else {
            lines << notRun(kPending, why) << notRun(kCompany, why);
        }
    } else {
        const QString why = QStringLiteral("falla el archivo de configuración");
        for (const QString &name : {kDataDirectory, kDatabase, kPending, kCompany, kLock})
            lines << notRun(name, why);
    }
    if (configured && !dataReachable)
        lines << notRun(kLock, QStringLiteral("falla el directorio de datos, donde está"));
    else if (configured)
        lines << lockLine(settings, lockHeld, lock, printerLock, sources.get());
    if (lines.last().outcome == Outcome::Warning)
        lines << notRun(kPrinter, QStringLiteral("la usa la estación que ya funciona"));
    else if (lines.last().outcome == Outcome::Failed)
        lines << notRun(kPrinter, QStringLiteral("falla el bloqueo de la caja"));
    else
        lines << printerLine(printer, settings.SerialImpresora);
    lines << journalLine(directory);
    return lines;
}

bool StationCheck::passed(const QList<CheckLine> &lines) {
    // A check left out follows a failed one, or a running station's lock, which is no fault.
    return std::none_of(lines.begin(), lines.end(),
                        [](const CheckLine &line) { return line.outcome == Outcome::Failed; });
}

QString StationCheck::report(const QList<CheckLine> &lines) {
    QStringList text, warned;
    qsizetype failures = 0;
    for (const CheckLine &line : lines) {
        text << line.text();
        failures += line.outcome == Outcome::Failed ? 1 : 0;
        if (line.outcome == Outcome::Warning)
            warned << line.name;
    }
    // Every warning named, so that none is missed in a long report.
    const QString warnings = warned.size() == 1
                                 ? QStringLiteral("el aviso de %1").arg(warned.first())
                                 : QStringLiteral("los %1 avisos (%2)")
                                       .arg(warned.size())
                                       .arg(warned.join(QStringLiteral(", ")));
    if (!passed(lines))
        text << QStringLiteral("%1 de %2 comprobaciones: la estación no está lista%3.")
                    .arg(failures == 1 ? QStringLiteral("Falló 1")
                                       : QStringLiteral("Fallaron %1").arg(failures))
                    .arg(lines.size())
                    .arg(warned.isEmpty() ? QString()
                                          : QStringLiteral("; revise también ") + warnings);
    else if (!warned.isEmpty())
        text << QStringLiteral("La estación puede funcionar, pero revise %1.").arg(warnings);
    else
        text << QStringLiteral("Todo en orden: la estación puede funcionar.");
    return text.join(u'\n');
}

void checkRunningStation(const QString &directory, FiscalPrinter &printer,
                         OperatorMessages &messages) {
    StationCheck check(directory, printer);
    // This program took the lock at start-up.
    check.setLockHeldByThisStation(true);
    const QList<CheckLine> lines = check.run();
    const bool warned = std::any_of(lines.begin(), lines.end(), [](const CheckLine &line) {
        return line.outcome == CheckLine::Outcome::Warning;
    });
    messages.show(StationCheck::report(lines),
                  !StationCheck::passed(lines) ? MessageIcon::Critical
                  : warned                     ? MessageIcon::Warning
                                               : MessageIcon::Information,
                  StationCheck::title());
}

ExitCode checkStation(const QString &directory, QTextStream &out) {
    const std::unique_ptr<FiscalPrinter> printer = makeStationPrinter();
    StationCheck check(directory, *printer);
    const QList<CheckLine> lines = check.run();
    out << StationCheck::report(lines) << Qt::endl;
    return StationCheck::passed(lines) ? ExitCode::Done : ExitCode::NotDone;
}

} // namespace robot
