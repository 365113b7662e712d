// robot-fiscal --check, the built program on a demo data directory: a healthy directory and
// each way a workstation can fail it, each named by its own check, with nothing printed and no
// file of the station changed.
#include "core/DocumentKind.h"
#include "db/PrintJournal.h"
#include "platform/StationLock.h"
#include "support/StationProgram.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace robot;

namespace {

// Every file of the data directory by name, with a digest of its contents.
QMap<QString, QByteArray> snapshot(const QString &directory) {
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(directory).entryList(QDir::Files)) {
        if (name.endsWith(QStringLiteral(".lock"))) // the station lock alone may appear
            continue;
        QFile file(QDir(directory).filePath(name));
        file.open(QIODevice::ReadOnly);
        files.insert(name, QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return files;
}

// In the order of the report.
const QStringList kChecks{QStringLiteral("Archivo de configuración"),
                          QStringLiteral("Directorio de datos"),
                          QStringLiteral("Base de datos"),
                          QStringLiteral("Documentos pendientes"),
                          QStringLiteral("Configuración de la compañía"),
                          QStringLiteral("Bloqueo de la caja"),
                          QStringLiteral("Impresora"),
                          QStringLiteral("Diario de impresión")};

} // namespace

class TestStationCheck : public QObject {
    Q_OBJECT
private slots:
    void check_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("failing"); // the one check that fails; empty: all pass
        QTest::addColumn<QString>("found"); // in that check's line (or in the report when all pass)
        const auto row = [](const char *name, const char *failing, const char *found) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(failing)
                                << QString::fromUtf8(found);
        };
        row("healthy", "",
            "OK      Documentos pendientes: 2 facturas y 2 notas de crédito esperan impresión en "
            "la "
            "caja 1.");
        row("no marker", "Directorio de datos", "mantenimiento");
        row("wrong printer type", "Archivo de configuración", "tipo BEMATECH");
        row("database missing", "Base de datos", "No se encuentra la base de datos");
        row("printer library missing", "Impresora", "/no/existe/libimpresora.so");
        row("journal holds a document back", "Diario de impresión",
            "retiene 1 documento: factura 101, retenida");
        row("journal lost", "Diario de impresión", "--new-journal");
        row("lock held", "Bloqueo de la caja", "Ya hay una estación funcionando con la caja 1");
    }

    void check() {
        QFETCH(QString, setup);
        QFETCH(QString, failing);
        QFETCH(QString, found);
        StationProgram station;
        QString error;
        const QString journalPath = station.file(QStringLiteral("robot-fiscal-diario.db"));
        StationLock otherStation;

        if (setup == QStringLiteral("no marker")) {
            QVERIFY(
                QFile::remove(station.file(QStringLiteral("ActualizadorAlmacoraTerminal.inf"))));
        } else if (setup == QStringLiteral("wrong printer type")) {
            QFile config(station.file(QStringLiteral("ImpresorFiscal.inf")));
            QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
            config.write("Datos:" + station.dataDir.toUtf8() +
                         "/\r\nImpresora:bematech\r\nCaja:1\r\n");
        } else if (setup == QStringLiteral("database missing")) {
            QVERIFY(QFile::remove(station.file(QStringLiteral("Base de Datos.dba"))));
        } else if (setup == QStringLiteral("printer library missing")) {
            station.environment.insert(QStringLiteral("FISCAL_PRINTER_LIBRARY"),
                                       QStringLiteral("/no/existe/libimpresora.so"));
        } else if (setup.startsWith(QStringLiteral("journal"))) {
            PrintJournal journal;
            QVERIFY2(journal.open(journalPath, &error), qPrintable(error));
            const qint64 id = journal.begin(DocumentKind::Factura, 101, 1, 0, 0, &error);
            QVERIFY2(journal.setState(id, PrintJournal::State::Unknown, &error), qPrintable(error));
        } else if (setup == QStringLiteral("lock held")) {
            QVERIFY2(otherStation.acquire(station.dataDir + u'/', 1, &error), qPrintable(error));
        }
        if (setup == QStringLiteral("journal lost"))
            QVERIFY(QFile::remove(journalPath));
        const QMap<QString, QByteArray> before = snapshot(station.dataDir);

        const ProgramRun run = station.run({QStringLiteral("--check")});
        QVERIFY2(run.exitCode == (failing.isEmpty() ? 0 : 4), qPrintable(run.out + run.err));
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        // One line per check, always in the same order, and a summary.
        QCOMPARE(lines.size(), kChecks.size() + 1);
        for (qsizetype i = 0; i < kChecks.size(); ++i)
            QVERIFY2(lines[i].mid(8).startsWith(kChecks[i] + u':'), qPrintable(lines[i]));
        const QStringList failures = lines.filter(QRegularExpression(QStringLiteral("^FALLA ")));
        if (failing.isEmpty()) {
            QCOMPARE(failures, QStringList());
            QVERIFY2(run.out.contains(found), qPrintable(run.out));
            QVERIFY2(run.out.contains(QStringLiteral("serie BE0908ZZ12345")), qPrintable(run.out));
        } else {
            QCOMPARE(failures.size(), 1);
            QVERIFY2(failures[0].mid(8).startsWith(failing + u':'), qPrintable(failures[0]));
            QVERIFY2(failures[0].contains(found), qPrintable(failures[0]));
        }

        // Nothing on paper, and the data directory as it was: no record, journal or witness
        // written.
        QCOMPARE(station.paper(), QString());
        QCOMPARE(snapshot(station.dataDir), before);
    }
};

QTEST_GUILESS_MAIN(TestStationCheck)
#include "test_station_check.moc"
