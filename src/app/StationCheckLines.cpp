#include "app/StationCheckLines.h"

#include "app/Configuration.h"
#include "app/Preparation.h"
#include "core/StationFiles.h"
#include "db/AccessRoute.h"
#include "db/DocumentChecks.h"
#include "db/DocumentDatabase.h"
#include "db/DocumentStore.h"
#include "db/OdbcSource.h"
#include "db/PendingSources.h"
#include "db/PrintJournal.h"
#include "db/ServerAddress.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

namespace robot::check {

using Outcome = CheckLine::Outcome;

const QString kConfiguration = QStringLiteral("Archivo de configuración");
const QString kDataDirectory = QStringLiteral("Directorio de datos");
const QString kDatabase = QStringLiteral("Base de datos");
const QString kPending = QStringLiteral("Documentos pendientes");
const QString kCompany = QStringLiteral("Configuración de la compañía");
const QString kPrinter = QStringLiteral("Impresora");
const QString kJournal = QStringLiteral("Diario de impresión");
const QString kLock = QStringLiteral("Bloqueo de la caja");

CheckLine failed(const QString &name, const QString &detail, const QString &remedy) {
    return {name, Outcome::Failed, detail, remedy};
}

CheckLine notRun(const QString &name, const QString &why) {
    return {name, Outcome::NotRun, QStringLiteral("no se comprobó: %1.").arg(why), {}};
}

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

namespace {

QString orUnset(const QString &value) {
    return value.isEmpty() ? QStringLiteral("(sin indicar)") : value;
}

QString counted(qsizetype n, const char *one, const char *many) {
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
}

// What to do about a journal that cannot be read, by what SQLite said of it.
QString journalRemedy(const QString &error, const QString &path, const QString &directory) {
    const QString text = error.toLower();
    if (text.contains(QStringLiteral("locked")) || text.contains(QStringLiteral("busy")))
        return QStringLiteral("Cierre el programa que lo tenga abierto (una copia de seguridad, "
                              "un antivirus); mientras no se lea, la estación no imprime.");
    if (text.contains(QStringLiteral("not a database")) ||
        text.contains(QStringLiteral("malformed")) || text.contains(QStringLiteral("corrupt")))
        return QStringLiteral("El diario está dañado: guarde una copia de %1, revise en el papel "
                              "el último documento de cada tipo y confirme un diario nuevo con "
                              "robot-fiscal --dir \"%2\" --new-journal.")
            .arg(shown(path), shown(directory));
    if (text.contains(QStringLiteral("permission")) || text.contains(QStringLiteral("unable")) ||
        text.contains(QStringLiteral("readonly")) || text.contains(QStringLiteral("read-only")))
        return QStringLiteral("Compruebe que el usuario de la estación pueda leer y escribir %1 "
                              "y su carpeta.")
            .arg(shown(path));
    return QStringLiteral("Mientras no se lea, la estación no imprime: llame al técnico con "
                          "este informe.");
}

} // namespace

bool cajaUsable(const ConfigurationReading &reading) {
    // Anything else is read as 0 or rounded: the number used is not the one meant.
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    return whole.match(reading.cajaText).hasMatch();
}

CheckLine configurationLine(const QString &file, const ConfigurationReading &reading) {
    const Settings &s = reading.settings;
    if (reading.outcome == ConfigurationReading::Outcome::Unreadable)
        return failed(kConfiguration, reading.message,
                      QStringLiteral("Ponga ImpresorFiscal.inf en ese directorio o indique el "
                                     "suyo con --dir."));
    if (reading.outcome == ConfigurationReading::Outcome::WrongPrinterType)
        return failed(
            kConfiguration, reading.message + QStringLiteral(" Se leyó «%1».").arg(s.TipoImpresora),
            QStringLiteral("Escriba Impresora:BEMATECH, en mayúsculas, en %1.").arg(shown(file)));
    if (reading.outcome != ConfigurationReading::Outcome::Ok)
        return failed(kConfiguration, reading.message,
                      QStringLiteral("Corrija %1.").arg(shown(file)));
    CheckLine line{kConfiguration,
                   Outcome::Ok,
                   QStringLiteral("%1 (Datos: %2 · Impresora: %3 · Puerto: %4 · 80Columnas: %5 · "
                                  "Serial: %6 · Caja: %7).")
                       .arg(shown(file), orUnset(s.RutaDatos), orUnset(s.TipoImpresora), s.Puerto,
                            s.Columnas80 ? QStringLiteral("sí") : QStringLiteral("no"),
                            orUnset(s.SerialImpresora))
                       .arg(s.Caja),
                   {}};
    // The station would list the documents of the number it read, not of the one meant.
    if (!cajaUsable(reading)) {
        line.outcome = Outcome::Failed;
        line.detail +=
            reading.cajaText.isEmpty()
                ? QStringLiteral(" Falta el número de Caja: la estación usaría la caja %1 y no "
                                 "imprimiría los documentos de esta caja.")
                      .arg(s.Caja)
                : QStringLiteral(" Caja: «%1» no es un número entero: la estación usaría la "
                                 "caja %2 y no imprimiría los documentos de esta caja.")
                      .arg(reading.cajaText)
                      .arg(s.Caja);
        line.remedy = QStringLiteral("Escriba en Caja: el número de esta caja, sin decimales ni "
                                     "letras.");
    }
    return line;
}

CheckLine dataDirectoryLine(const Settings &settings) {
    const QString remedy = QStringLiteral("Compruebe la ruta de Datos: en ImpresorFiscal.inf y que "
                                          "la carpeta compartida del servidor esté conectada.");
    if (settings.RutaDatos.isEmpty())
        return failed(kDataDirectory,
                      QStringLiteral("La línea Datos: de ImpresorFiscal.inf no indica ninguna "
                                     "carpeta."),
                      QStringLiteral("Escriba en la primera línea la carpeta de datos, terminada "
                                     "en barra (por ejemplo Datos:\\\\SERVIDOR\\Datos\\)."));
    if (!QFileInfo(settings.RutaDatos).isDir())
        return failed(kDataDirectory,
                      QStringLiteral("La carpeta de datos %1 no existe o no se puede abrir.")
                          .arg(shown(settings.RutaDatos)),
                      remedy);
    const QString marker = markerFilePath(settings);
    if (!ChequeoExistenciaArchivo(marker))
        return failed(
            kDataDirectory,
            maintenanceMessage() +
                QStringLiteral(" No se encuentra %1.").arg(shown(QDir::cleanPath(marker))),
            remedy);
    return {kDataDirectory,
            Outcome::Ok,
            QStringLiteral("%1 (la marca ActualizadorAlmacoraTerminal.inf está).")
                .arg(shown(settings.RutaDatos)),
            {}};
}

CheckLine databaseLine(const QString &path, DocumentConnection &connection) {
    const std::optional<ServerAddress> server = serverAddress(path);
    // A server or an ODBC source of robot-fiscal.ini: no file of ours to look at.
    const bool configured = server || odbcSource(path);
    const DatabaseEngine engine = configured ? DatabaseEngine::Unknown : detectEngine(path);
    if (const Result<void> opened = connection.open(path, QStringLiteral("diagnostico"));
        !opened.ok()) {
        return failed(kDatabase, opened.error(),
                      engine == DatabaseEngine::Missing
                          ? QStringLiteral("Compruebe que «Base de Datos.dba» esté en el "
                                           "directorio de datos.")
                          : QStringLiteral("Compruebe que sea la base de datos de la "
                                           "administración y que el equipo pueda abrirla."));
    }
    const QString where = configured ? path : shown(path);
    const QFileInfo file(path);
    QString why;
    if (!configured && (!file.isWritable() || QStorageInfo(file.absolutePath()).isReadOnly()))
        why = QStringLiteral("el archivo o su disco es de solo lectura");
    else
        why = documentsWritable(connection).error();
    if (!why.isEmpty())
        return failed(kDatabase,
                      QStringLiteral("%1 se puede leer pero no escribir (%2): la estación "
                                     "imprimiría sin poder marcar los documentos.")
                          .arg(where, why),
                      configured
                          ? QStringLiteral("Dé al usuario de robot-fiscal.ini permiso para "
                                           "modificar las tablas Ventas y NotaCréditoVenta.")
                          : QStringLiteral("Compruebe que este usuario pueda escribir en la "
                                           "carpeta de datos y en «Base de Datos.dba», y que "
                                           "la carpeta compartida no sea de solo lectura."));
    // The engine, and for Access the driver and the way to it (in process or the bridge).
    return {kDatabase,
            Outcome::Ok,
            QStringLiteral("%1 (%2).").arg(where, databaseEngineDescription(path)),
            {}};
}

CheckLine pendingLine(PendingSources &sources, DocumentConnection &connection) {
    if (!sources.RefrescaListas())
        return failed(kPending, sources.lastError(),
                      QStringLiteral("Compruebe que sea la base de datos de la administración, "
                                     "con sus tablas de facturas y notas de crédito."));
    CheckLine line{
        kPending,
        Outcome::Ok,
        QStringLiteral("%1 y %2 esperan impresión en la caja %3.")
            .arg(counted(sources.invoices().size(), "factura", "facturas"),
                 counted(sources.creditNotes().size(), "nota de crédito", "notas de crédito"))
            .arg(sources.caja()),
        {}};
    // Unanswered, it is no reason to warn: the pending lists were just read.
    if (const Result<bool> any = anyDocumentOfCaja(connection, sources.caja());
        any.ok() && !any.value()) {
        line.outcome = Outcome::Warning;
        line.detail += QStringLiteral(" La base de datos no tiene ningún documento de la caja %1, "
                                      "ni impreso ni pendiente.")
                           .arg(sources.caja());
        line.remedy = QStringLiteral("Compruebe que Caja: en ImpresorFiscal.inf sea el número de "
                                     "máquina fiscal con que la administración registra las "
                                     "ventas de esta caja.");
    }
    return line;
}

CheckLine companyLine(const QString &databasePath) {
    const Result<std::optional<Row>> read = DocumentStore(databasePath).configurationRecord();
    if (!read.ok())
        return failed(
            kCompany,
            QStringLiteral("No se pudo leer la tabla Configuración: %1").arg(read.error()));
    const Preparation prep =
        prepareFromConfiguration(read.value().value_or(Row()), read.value().has_value());
    if (!prep.complete)
        return failed(kCompany, prep.missing);
    return {
        kCompany,
        Outcome::Ok,
        QStringLiteral("RIF %1, modo de cantidad %2.").arg(prep.rifDecorado).arg(prep.ModoCantidad),
        {}};
}

CheckLine journalLine(const QString &directory) {
    const QString path = StationFiles(directory).journal();
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
    const Result<void> opened = journal.openReadOnly(path);
    const Result<QList<PrintJournal::Entry>> entries =
        opened.ok() ? journal.unfinished() : Failure{opened.error()};
    if (!entries.ok())
        return failed(kJournal, entries.error(), journalRemedy(entries.error(), path, directory));
    if (entries.value().isEmpty())
        return {kJournal,
                Outcome::Ok,
                QStringLiteral("%1 no retiene ningún documento.").arg(shown(path)),
                {}};

    CheckLine line{kJournal, Outcome::Warning, {}, {}};
    QStringList held, remedies;
    for (const PrintJournal::Entry &entry : entries.value()) {
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
                      .arg(shown(path), counted(entries.value().size(), "documento", "documentos"),
                           held.join(QStringLiteral("; ")));
    if (!remedies.isEmpty()) {
        QString remedy = remedies.join(QStringLiteral("; ")) + u'.';
        remedy[0] = remedy[0].toUpper();
        line.remedy = remedy;
    }
    return line;
}

} // namespace robot::check
