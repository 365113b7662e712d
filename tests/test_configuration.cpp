#include "app/Configuration.h"
#include "app/Station.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestConfiguration : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    ConfigurationReading read(const QByteArray &content) {
        const QString path = dir.filePath(QStringLiteral("ImpresorFiscal.inf"));
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
        file.close();
        return LeeConfiguracion(path);
    }

private slots:
    void typicalFileAndDataPaths() {
        const auto r = read("Datos: D:\\Datos\\\r\nImpresora: BEMATECH \r\nPuerto:COM3\r\n"
                            "80Columnas:-1\r\nSerial:ABC123\r\nCaja:3\r\nOtra:cosa\r\n");
        QCOMPARE(r.outcome, ConfigurationReading::Outcome::Ok);
        // The blank after the colon stays in the database path but not in the data directory;
        // backslashes act as separators here.
        QCOMPARE(r.settings.RutaBaseDatos, QStringLiteral(" D:/Datos/Base de Datos.dba"));
        QCOMPARE(r.settings.RutaDatos, QStringLiteral("D:/Datos/"));
        QCOMPARE(r.settings.TipoImpresora, QStringLiteral("BEMATECH"));
        QCOMPARE(r.settings.Puerto, QStringLiteral("COM3"));
        QCOMPARE(r.settings.Columnas80, false);
        QCOMPARE(r.settings.SerialImpresora, QStringLiteral("ABC123"));
        QCOMPARE(r.settings.Caja, 3);
    }

    void fieldsAreSplitAtCommasUnlessQuoted() {
        // A quoted field keeps its comma; an unquoted comma shifts every later position.
        auto r = read("\"Datos:/srv/a,b/\"\nImpresora:BEMATECH\nPuerto:COM2\n");
        QCOMPARE(r.settings.RutaDatos, QStringLiteral("/srv/a,b/"));
        QCOMPARE(r.settings.Puerto, QStringLiteral("COM2"));
        r = read("Datos:/srv/a,b/\nImpresora:BEMATECH\nPuerto:COM2\n");
        QCOMPARE(r.settings.RutaDatos, QStringLiteral("/srv/a"));
        QCOMPARE(r.settings.TipoImpresora, QString());       // position 2 holds "b/"
        QCOMPARE(r.settings.Puerto, QStringLiteral("COM1")); // position 3 holds the printer key
    }

    void keysOnlyCountInTheirOwnPosition() {
        const auto r = read("Caja:5\nSerial:X\n80Columnas:0\nPuerto:COM4\nImpresora:OTRA\n"
                            "Datos:/srv/\n");
        QCOMPARE(r.outcome, ConfigurationReading::Outcome::Ok); // no printer-type test made
        QCOMPARE(r.settings.Caja, 0);
        QCOMPARE(r.settings.Puerto, QStringLiteral("COM1"));
        QCOMPARE(r.settings.RutaDatos, QString());
        QCOMPARE(r.settings.Columnas80, false);
        QVERIFY(!startStation(dir.path()).ok); // the empty data directory has no marker
    }

    void emptyValuesAndTheColumnsFlag() {
        auto r = read("Datos:\nImpresora:\nPuerto:   \n80Columnas:\n");
        QCOMPARE(r.outcome, ConfigurationReading::Outcome::Ok);
        QCOMPARE(r.settings.Puerto, QStringLiteral("COM1"));
        QCOMPARE(r.settings.Columnas80, true); // anything but -1, empty included
        r = read("Datos:/x/\nImpresora:BEMATECH\n");
        QCOMPARE(r.settings.Puerto, QStringLiteral("COM1"));
    }

    void printerTypeIsCaseSensitive() {
        const auto r = read("Datos:/x/\nImpresora:bematech\nPuerto:COM2\n");
        QCOMPARE(r.outcome, ConfigurationReading::Outcome::WrongPrinterType);
        QCOMPARE(r.message,
                 QStringLiteral("Deberá indicar el tipo BEMATECH en el archivo de configuración."));
    }

    void cajaReadsTheLeadingNumberRoundedToEven_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("caja");
        QTest::newRow("plain") << QByteArray("3") << 3;
        QTest::newRow("half down to even") << QByteArray("2.5") << 2;
        QTest::newRow("half up to even") << QByteArray("3.5") << 4;
        QTest::newRow("letters") << QByteArray("abc") << 0;
        QTest::newRow("blanks inside") << QByteArray(" 1 2 ") << 12;
        QTest::newRow("trailing garbage") << QByteArray("7x9") << 7;
        QTest::newRow("negative") << QByteArray("-4") << -4;
        QTest::newRow("exponent") << QByteArray("1e2") << 100;
    }
    void cajaReadsTheLeadingNumberRoundedToEven() {
        QFETCH(QByteArray, value);
        QFETCH(int, caja);
        const auto r = read(
            "Datos:/x/\nImpresora:BEMATECH\nPuerto:\n80Columnas:\nSerial:\nCaja:" + value + "\n");
        QCOMPARE(r.outcome, ConfigurationReading::Outcome::Ok);
        QCOMPARE(r.settings.Caja, caja);
    }

    void cajaThatDoesNotFitIsRefused() {
        const auto r = read("Datos:/x/\nImpresora:BEMATECH\nPuerto:\n80Columnas:\nSerial:\n"
                            "Caja:99999999999\n");
        QCOMPARE(r.outcome, ConfigurationReading::Outcome::BadCaja);
        QVERIFY(r.message.contains(QStringLiteral("99999999999")));
    }

    void fileIsWindows1252() {
        const auto r = read("Datos:/srv/A\xf1o/\nImpresora:BEMATECH\nPuerto:\n80Columnas:\n"
                            "Serial:N\xba\x80\n");
        QCOMPARE(r.settings.RutaDatos, QStringLiteral("/srv/Año/"));
        QCOMPARE(r.settings.SerialImpresora, QStringLiteral("Nº€"));
    }

    void missingFileIsAClearRefusal() {
        const auto r = LeeConfiguracion(dir.filePath(QStringLiteral("no-existe.inf")));
        QCOMPARE(r.outcome, ConfigurationReading::Outcome::Unreadable);
        QVERIFY(r.message.contains(QStringLiteral("no-existe.inf")));
    }

    void markerFileWithDoubledSeparator() {
        QTemporaryDir data;
        const QString configured = data.path() + QStringLiteral("\\");
        read(("Datos:" + configured + "\nImpresora:BEMATECH\n").toUtf8());
        auto result = startStation(dir.path());
        QVERIFY(!result.ok);
        QCOMPARE(result.message, QStringLiteral("El servidor parece estar en mantenimiento. Por "
                                                "favor verifique e intente de nuevo más tarde."));
        QFile(data.filePath(QStringLiteral("ActualizadorAlmacoraTerminal.inf")))
            .open(QIODevice::WriteOnly);
        result = startStation(dir.path());
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(result.settings.RutaBaseDatos, data.path() + QStringLiteral("/Base de Datos.dba"));
    }

    void fileExistenceCheck() {
        QVERIFY(!ChequeoExistenciaArchivo(dir.path())); // a directory is not a file
        QVERIFY(!ChequeoExistenciaArchivo(QString()));
        QVERIFY(!ChequeoExistenciaArchivo(QStringLiteral("/no/such/share/file.inf")));
        QFile(dir.filePath(QStringLiteral(".oculto"))).open(QIODevice::WriteOnly);
        QVERIFY(!ChequeoExistenciaArchivo(dir.filePath(QStringLiteral(".oculto"))));
        QFile(dir.filePath(QStringLiteral("visible"))).open(QIODevice::WriteOnly);
        QVERIFY(ChequeoExistenciaArchivo(dir.filePath(QStringLiteral("visible"))));
    }
};

QTEST_GUILESS_MAIN(TestConfiguration)
#include "test_configuration.moc"
