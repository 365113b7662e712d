#include "commands/StationCheck.h"

#include "app/Configuration.h"
#include "app/Preparation.h"
#include "commands/InformationQueries.h"
#include "core/ExitCode.h"
#include "core/OperatorMessages.h"
#include "db/DatabaseSettings.h"
#include "db/DocumentDatabase.h"
#include "db/PendingSources.h"
#include "db/PrintJournal.h"
#include "db/ServerAddress.h"
#include "platform/PrinterLibraryLocation.h"
#include "platform/StationLock.h"
#include "printer/AnalizaRetorno.h"
#include "printer/FiscalPrinter.h"
#include "printer/StationPrinter.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>

namespace robot {

namespace {

using Outcome = CheckLine::Outcome;

const QString kConfiguration = QStringLiteral("Archivo de configuración");
const QString kDataDirectory = QStringLiteral("Directorio de datos");
const QString kDatabase = QStringLiteral("Base de datos");
const QString kPending = QStringLiteral("Documentos pendientes");
const QString kCompany = QStringLiteral("Configuración de la compañía");
const QString kPrinter = QStringLiteral("Impresora");
const QString kJournal = QStringLiteral("Diario de impresión");
const QString kLock = QStringLiteral("Bloqueo de la caja");

// The printer's first status word when only its paper is running low.
constexpr short kPaperLow = 64;

CheckLine failed(const QString &name, const QString &detail, const QString &remedy = {}) {
    return {name, Outcome::Failed, detail, remedy};
}

CheckLine notRun(const QString &name, const QString &why) {
    return {name, Outcome::NotRun, QStringLiteral("no se comprobó: %1.").arg(why), {}};
}

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

// The marker's path as configured holds a doubled separator; the technician reads it clean.
QString shownClean(const QString &path) {
    return shown(QDir::cleanPath(path));
}

QString orUnset(const QString &value) {
    return value.isEmpty() ? QStringLiteral("(sin indicar)") : value;
}

QString counted(qsizetype n, const char *one, const char *many) {
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
}

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

CheckLine configurationLine(const QString &file, const ConfigurationReading &reading) {
    if (reading.outcome == ConfigurationReading::Outcome::Unreadable)
        return failed(kConfiguration, reading.message,
                      QStringLiteral("Ponga ImpresorFiscal.inf en ese directorio o indique el "
                                     "suyo con --dir."));
    if (reading.outcome != ConfigurationReading::Outcome::Ok)
        return failed(kConfiguration, reading.message,
                      QStringLiteral("Corrija %1.").arg(shown(file)));
    const Settings &s = reading.settings;
    return {kConfiguration,
            Outcome::Ok,
            QStringLiteral("%1 (Datos: %2 · Impresora: %3 · Puerto: %4 · 80Columnas: %5 · "
                           "Serial: %6 · Caja: %7).")
                .arg(shown(file), orUnset(s.RutaDatos), orUnset(s.TipoImpresora), s.Puerto,
                     s.Columnas80 ? QStringLiteral("sí") : QStringLiteral("no"),
                     orUnset(s.SerialImpresora))
                .arg(s.Caja),
            {}};
}

CheckLine dataDirectoryLine(const Settings &settings) {
    const QString marker = markerFilePath(settings);
    if (!ChequeoExistenciaArchivo(marker))
        return failed(kDataDirectory,
                      maintenanceMessage() +
                          QStringLiteral(" No se encuentra %1.").arg(shownClean(marker)),
                      QStringLiteral("Compruebe la ruta de Datos: en ImpresorFiscal.inf y que la "
                                     "carpeta compartida del servidor esté conectada."));
    return {kDataDirectory,
            Outcome::Ok,
            QStringLiteral("%1 (la marca ActualizadorAlmacoraTerminal.inf está).")
                .arg(shown(settings.RutaDatos)),
            {}};
}

CheckLine databaseLine(const QString &path) {
    const bool server = serverAddress(path).has_value();
    const DatabaseEngine engine = server ? DatabaseEngine::Unknown : detectEngine(path);
    DocumentConnection connection;
    QString why;
    if (!connection.open(path, QStringLiteral("diagnostico"), &why)) {
        return failed(kDatabase, why,
                      engine == DatabaseEngine::Missing
                          ? QStringLiteral("Compruebe que «Base de Datos.dba» esté en el "
                                           "directorio de datos.")
                          : QStringLiteral("Compruebe que sea la base de datos de la "
                                           "administración y que el equipo pueda abrirla."));
    }
    return {kDatabase,
            Outcome::Ok,
            QStringLiteral("%1 (%2).")
                .arg(server ? path : shown(path),
                     server ? QStringLiteral("PostgreSQL, según robot-fiscal.ini")
                     : engine == DatabaseEngine::Sqlite
                         ? QStringLiteral("SQLite")
                         : QStringLiteral("Access, por el controlador ODBC")),
            {}};
}

CheckLine pendingLine(PendingSources &sources) {
    if (!sources.RefrescaListas())
        return failed(kPending, sources.lastError(),
                      QStringLiteral("Compruebe que sea la base de datos de la administración, "
                                     "con sus tablas de facturas y notas de crédito."));
    return {kPending,
            Outcome::Ok,
            QStringLiteral("%1 y %2 esperan impresión en la caja %3.")
                .arg(counted(sources.invoices().size(), "factura", "facturas"),
                     counted(sources.creditNotes().size(), "nota de crédito", "notas de crédito"))
                .arg(sources.caja()),
            {}};
}

CheckLine companyLine(PendingSources &sources) {
    const ConfigurationRead read = sources.configurationRecord();
    if (read.outcome == ConfigurationRead::Outcome::Failed)
        return failed(kCompany,
                      QStringLiteral("No se pudo leer la tabla Configuración: %1").arg(read.error));
    const Preparation prep =
        prepareFromConfiguration(read.row, read.outcome == ConfigurationRead::Outcome::Read);
    if (!prep.complete)
        return failed(kCompany, prep.missing);
    return {
        kCompany,
        Outcome::Ok,
        QStringLiteral("RIF %1, modo de cantidad %2.").arg(prep.rifDecorado).arg(prep.ModoCantidad),
        {}};
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
    const auto refusal = [&]() {
        return failed(
            kPrinter,
            (told.texts.isEmpty() ? QStringLiteral("La impresora no respondió.") : told.text()) +
                QStringLiteral(" (%1).").arg(source),
            QStringLiteral("Compruebe que la impresora esté encendida, con papel y "
                           "conectada, y que no tenga un cupón abierto."));
    };
    // A refused query is explained in the printer's own words, as the buttons would.
    const auto refused = [&](short code) {
        if (code == 1)
            return false;
        AnalizaRetorno(printer, told, QString(), QString(), code, QString());
        return true;
    };
    try {
        InformationQueries queries(printer, told);
        const QueryAnswer serial = queries.ask(1);
        if (!serial.called)
            return failed(kPrinter, told.text(),
                          QStringLiteral("Instale la librería de la impresora donde la estación "
                                         "la busca o indíquela con FISCAL_PRINTER_LIBRARY."));
        if (refused(serial.code))
            return refusal();
        const QueryAnswer reductions = queries.ask(7);
        if (refused(reductions.code))
            return refusal();
        QString coupon(6, u' ');
        if (refused(printer.NumeroCupon(coupon)))
            return refusal();
        // Paper, cover, an open coupon: the status words after the queries. Paper running low
        // alone does not keep the station from printing.
        const bool clear = AnalizaRetorno(printer, told, QString(), QString(), 1, QString());
        short ack = 0, st1 = 0, st2 = 0;
        if (!clear && (printer.RetornoImpresora(ack, st1, st2) != 1 || ack == 21 ||
                       st1 != kPaperLow || st2 != 0))
            return refusal();

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
    } catch (const PrinterUnavailable &e) {
        return failed(kPrinter, e.text,
                      QStringLiteral("Instale la librería de la impresora donde la estación la "
                                     "busca o indíquela con FISCAL_PRINTER_LIBRARY."));
    }
}

CheckLine journalLine(const QString &directory) {
    const QString path = QDir(directory).filePath(QStringLiteral("robot-fiscal-diario.db"));
    if (!QFileInfo::exists(path)) {
        if (PrintJournal::everCreated(path))
            return failed(kJournal,
                          QStringLiteral("El diario %1 desapareció: sin él, un documento "
                                         "interrumpido podría imprimirse dos veces, y la estación "
                                         "no imprimirá.")
                              .arg(shown(path)),
                          QStringLiteral("Revise en el papel que ningún documento quedara a "
                                         "medias y confirme un diario nuevo con robot-fiscal "
                                         "--dir \"%1\" --new-journal.")
                              .arg(shown(directory)));
        return {kJournal, Outcome::Warning,
                QStringLiteral("%1 todavía no existe: la estación lo creará al iniciar.")
                    .arg(shown(path)),
                QStringLiteral("Si esta estación ya imprimió antes (traída de otro equipo sin "
                               "su diario), revise en el papel el último documento antes de "
                               "la primera venta.")};
    }
    PrintJournal journal;
    QString error;
    const std::optional<QList<PrintJournal::Entry>> entries =
        journal.openReadOnly(path, &error) ? journal.unfinished(&error) : std::nullopt;
    if (!entries)
        return failed(kJournal, error,
                      QStringLiteral("Cierre el programa que lo tenga abierto (una copia de "
                                     "seguridad, un antivirus); mientras no se lea, la estación "
                                     "no imprime."));
    if (entries->isEmpty())
        return {kJournal,
                Outcome::Ok,
                QStringLiteral("%1 no retiene ningún documento.").arg(shown(path)),
                {}};

    CheckLine line{kJournal, Outcome::Warning, {}, {}};
    QStringList held, remedies;
    for (const PrintJournal::Entry &entry : *entries) {
        const QString document = PrintJournal::describe(entry);
        switch (entry.state) {
        case PrintJournal::State::Unknown:
            line.outcome = Outcome::Failed;
            held << QStringLiteral("%1, retenida: no se sabe si se imprimió").arg(document);
            remedies << QStringLiteral("revise el papel: si la %1 salió, márquela en la "
                                       "administración; si no, robot-fiscal --dir \"%2\" "
                                       "--allow-reprint %3:%4")
                            .arg(document, shown(directory),
                                 entry.kind == DocumentKind::Factura ? QStringLiteral("factura")
                                                                     : QStringLiteral("nota"))
                            .arg(entry.codigo);
            break;
        case PrintJournal::State::Open:
        case PrintJournal::State::OpenNumbered:
            line.outcome = Outcome::Failed;
            held << QStringLiteral("%1, abierta en la impresora").arg(document);
            remedies << QStringLiteral("anule el documento abierto con «Anula Cupon» o "
                                       "termínelo");
            break;
        case PrintJournal::State::Printing:
            held << QStringLiteral("%1, interrumpida: la estación la resolverá al iniciar con "
                                   "los contadores de la impresora")
                        .arg(document);
            break;
        case PrintJournal::State::Printed:
            held << QStringLiteral("%1, impresa: la estación la marcará en la base de datos")
                        .arg(document);
            break;
        case PrintJournal::State::Done:
        case PrintJournal::State::Void:
        case PrintJournal::State::Cancelled:
            break; // finished entries are never among the unfinished ones
        }
    }
    line.detail = QStringLiteral("%1 retiene %2: %3.")
                      .arg(shown(path), counted(entries->size(), "documento", "documentos"),
                           held.join(QStringLiteral("; ")));
    if (!remedies.isEmpty()) {
        QString remedy = remedies.join(QStringLiteral("; ")) + u'.';
        remedy[0] = remedy[0].toUpper();
        line.remedy = remedy;
    }
    return line;
}

// Taken into `lock` and `printerLock`, which the caller lets go once the printer has been asked.
CheckLine lockLine(const Settings &settings, bool heldHere, StationLock &lock,
                   StationLock &printerLock) {
    if (heldHere)
        return {kLock,
                Outcome::Ok,
                QStringLiteral("la tiene esta estación (caja %1).").arg(settings.Caja),
                {}};
    QString refusal;
    if (!lock.acquire(settings.RutaDatos, settings.Caja, &refusal) ||
        !printerLock.acquirePrinter(settings.SerialImpresora, settings.Puerto, &refusal))
        return failed(kLock, refusal,
                      QStringLiteral("Si la estación está abierta en este equipo, su ventana "
                                     "tiene el diagnóstico: «Opciones», «Diagnóstico»."));
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
    const QString file = QDir(directory).filePath(QStringLiteral("ImpresorFiscal.inf"));
    const ConfigurationReading reading = LeeConfiguracion(file);
    lines << configurationLine(file, reading);
    const bool configured = reading.outcome == ConfigurationReading::Outcome::Ok;
    const Settings &settings = reading.settings;
    if (configured) {
        lines << dataDirectoryLine(settings);
        // The file in the data directory, or the server robot-fiscal.ini names.
        const DatabaseLocation location =
            documentDatabaseLocation(directory, settings.RutaBaseDatos);
        lines << (location.ok ? databaseLine(location.rutaBaseDatos)
                              : failed(kDatabase, location.message,
                                       QStringLiteral("Corrija robot-fiscal.ini.")));
        if (lines.last().outcome == Outcome::Ok) {
            PendingSources sources(location.rutaBaseDatos, settings.Caja);
            lines << pendingLine(sources) << companyLine(sources);
        } else {
            const QString why = QStringLiteral("falla la base de datos");
            lines << notRun(kPending, why) << notRun(kCompany, why);
        }
    } else {
        const QString why = QStringLiteral("falla el archivo de configuración");
        for (const QString &name : {kDataDirectory, kDatabase, kPending, kCompany, kLock})
            lines << notRun(name, why);
    }
    // Held while the printer is asked, so that no station starts a coupon meanwhile; a printer
    // another station is using is left alone.
    StationLock lock, printerLock;
    if (configured)
        lines << lockLine(settings, lockHeld, lock, printerLock);
    if (lines.last().outcome == Outcome::Failed)
        lines << notRun(kPrinter, QStringLiteral("otra estación está usando la impresora"));
    else
        lines << printerLine(printer, settings.SerialImpresora);
    lines << journalLine(directory);
    return lines;
}

bool StationCheck::passed(const QList<CheckLine> &lines) {
    return std::none_of(lines.begin(), lines.end(), [](const CheckLine &line) {
        return line.outcome == Outcome::Failed || line.outcome == Outcome::NotRun;
    });
}

QString StationCheck::report(const QList<CheckLine> &lines) {
    QStringList text;
    qsizetype failures = 0, warnings = 0;
    for (const CheckLine &line : lines) {
        text << line.text();
        failures += line.outcome == Outcome::Failed ? 1 : 0;
        warnings += line.outcome == Outcome::Warning ? 1 : 0;
    }
    if (!passed(lines))
        text << QStringLiteral("%1 de %2 comprobaciones: la estación no está lista.")
                    .arg(failures == 1 ? QStringLiteral("Falló 1")
                                       : QStringLiteral("Fallaron %1").arg(failures))
                    .arg(lines.size());
    else if (warnings > 0)
        text << QStringLiteral("La estación puede funcionar; lea %1.")
                    .arg(warnings == 1 ? QStringLiteral("el aviso")
                                       : QStringLiteral("los %1 avisos").arg(warnings));
    else
        text << QStringLiteral("Todo en orden: la estación puede funcionar.");
    return text.join(u'\n');
}

int checkStation(const QString &directory, QTextStream &out) {
    const std::unique_ptr<FiscalPrinter> printer = makeStationPrinter();
    StationCheck check(directory, *printer);
    const QList<CheckLine> lines = check.run();
    out << StationCheck::report(lines) << Qt::endl;
    return exitStatus(StationCheck::passed(lines) ? ExitCode::Done : ExitCode::NotDone);
}

} // namespace robot
