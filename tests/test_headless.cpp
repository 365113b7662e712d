// The station program itself, headless: start-up refusals, the demo printed end to end, and
// one station per fiscal machine.

#include "db/DocumentSchema.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Result {
    int exitCode = -1;
    QString output;
};

QProcessEnvironment environmentFor(const QString &dir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VIRTUAL_PRINTER_DIR"), dir + QStringLiteral("/virtual-printer"));
    env.remove(QStringLiteral("FISCAL_PRINTER_LIBRARY"));
    return env;
}

QString program() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/robot-fiscal");
}

Result runStation(const QString &dir, const QStringList &extra = {}) {
    QProcess process;
    process.setProcessEnvironment(environmentFor(dir));
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program(),
                  QStringList{QStringLiteral("--headless"), QStringLiteral("--exit-when-idle"),
                              QStringLiteral("--dir"), dir} +
                      extra);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

QString readAll(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestHeadless : public QObject {
    Q_OBJECT

private slots:
    void demoIsPrintedOnceAndThenIdle() {
        QTemporaryDir dir;
        QString error;
        QVERIFY2(createDemoDirectory(dir.path(), &error), qPrintable(error));
        const Result first = runStation(dir.path());
        QVERIFY2(first.exitCode == 0, qPrintable(first.output));
        const QString paper = readAll(dir.filePath(QStringLiteral("virtual-printer/paper.txt")));
        QCOMPARE(paper.count(QStringLiteral(" CERRADO")), 2);
        QCOMPARE(paper.count(QStringLiteral(" CERRADA")), 2);
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo"));
            db.setDatabaseName(dir.filePath(QStringLiteral("Base de Datos.dba")));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral(
                "SELECT (SELECT COUNT(*) FROM Ventas WHERE MáquinaFiscal = 1 AND Control IS NULL) "
                "+ (SELECT COUNT(*) FROM NotaCréditoVenta WHERE Control IS NULL), (SELECT Control "
                "FROM Ventas WHERE Código = 103)")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 0);
            QVERIFY(q.value(1).isNull()); // another fiscal machine's sale stays pending
        }
        QSqlDatabase::removeDatabase(QStringLiteral("demo"));
        QVERIFY(readAll(dir.filePath(QStringLiteral("robot-fiscal.log")))
                    .contains(QStringLiteral("Factura 101 impresa: cupón 000001")));

        const Result again = runStation(dir.path());
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(readAll(dir.filePath(QStringLiteral("virtual-printer/paper.txt"))), paper);
    }

    void startUpRefusals() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(createDemoDirectory(dir.path(), &error));
        QFile::remove(dir.filePath(QStringLiteral("ActualizadorAlmacoraTerminal.inf")));
        Result r = runStation(dir.path());
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.output.contains(QStringLiteral("El servidor parece estar en mantenimiento. Por "
                                                 "favor verifique e intente de nuevo más tarde.")));

        QFile config(dir.filePath(QStringLiteral("ImpresorFiscal.inf")));
        QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
        config.write("Datos:" + dir.path().toUtf8() + "/\r\nImpresora:bematech\r\n");
        config.close();
        r = runStation(dir.path());
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.output.contains(
            QStringLiteral("Deberá indicar el tipo BEMATECH en el archivo de configuración.")));

        QFile::remove(config.fileName());
        r = runStation(dir.path());
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.output.contains(QStringLiteral("ImpresorFiscal.inf")));
    }

    void oneStationPerFiscalMachine() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(createDemoDirectory(dir.path(), &error));
        QProcess first;
        first.setProcessEnvironment(environmentFor(dir.path()));
        first.start(program(), {QStringLiteral("--headless"), QStringLiteral("--dir"), dir.path()});
        QVERIFY(first.waitForStarted());
        // Wait until the first station holds its lock (its log says it started).
        for (int i = 0; i < 100 && !readAll(dir.filePath(QStringLiteral("robot-fiscal.log")))
                                        .contains(QStringLiteral("Estación iniciada"));
             ++i)
            QTest::qWait(50);
        const Result second = runStation(dir.path());
        first.kill();
        first.waitForFinished();
        QCOMPARE(second.exitCode, 2);
        QVERIFY(second.output.contains(
            QStringLiteral("Ya hay una estación funcionando con la caja 1")));
    }
};

QTEST_GUILESS_MAIN(TestHeadless)
#include "test_headless.moc"
