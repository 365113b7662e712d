// The technician's tools: the reconciliation report (one period with every kind of finding,
// and a clean one) and the support bundle of a real station.
#include "commands/ReconciliationReport.h"
#include "support/StationProgram.h"

#include <QDir>
#include <QProcess>
#include <QStringEncoder>
#include <QTest>

using namespace robot;

namespace {

using State = PrintJournal::State;
using Kind = Finding::Kind;

MarkedRecord invoice(qint64 codigo, const char *control) {
    return {DocumentKind::Factura, codigo, QDate(2026, 12, 7), QString::fromLatin1(control)};
}

PrintJournal::Entry entry(DocumentKind kind, qint64 codigo, qint64 couponBefore, State state) {
    PrintJournal::Entry e;
    e.kind = kind;
    e.codigo = codigo;
    e.caja = 1;
    e.couponBefore = couponBefore;
    e.state = state;
    e.started = QDateTime(QDate(2026, 12, 7), QTime(9, 0));
    return e;
}

JournalReport stationReport(JournalReport::Kind kind, qint32 caja, qint64 before, qint64 after) {
    return {kind, caja, before, after, 3, QDateTime(QDate(2026, 12, 7), QTime(10, 0))};
}

QList<Kind> kinds(const ReconciliationReport &report) {
    QList<Kind> found;
    for (const Finding &finding : report.findings)
        found << finding.kind;
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

class TestTechnicianTools : public QObject {
    Q_OBJECT
private slots:
    void everyFinding() {
        ReconciliationInput in;
        in.caja = 1;
        in.now = QDateTime(QDate(2026, 12, 7), QTime(12, 30));
        in.printerCoupon = 8;
        in.records = {invoice(101, "000001"),
                      invoice(102, "000002"),
                      invoice(103, "000002"),
                      invoice(104, "X\"1,2"),
                      invoice(107, "000007"),
                      // A credit note keeps its own Código as its control number.
                      {DocumentKind::NotaCredito, 201, QDate(2026, 12, 7), QStringLiteral("201")}};
        in.journal = {entry(DocumentKind::Factura, 101, 0, State::Done),
                      entry(DocumentKind::Factura, 102, 1, State::Done),
                      entry(DocumentKind::NotaCredito, 201, 2, State::Done),
                      entry(DocumentKind::Factura, 105, 3, State::Cancelled),
                      entry(DocumentKind::Factura, 106, 4, State::Printed),
                      entry(DocumentKind::Factura, 108, 6, State::Unknown)};
        // Another till's journal entry says nothing about this one.
        PrintJournal::Entry otherTill = entry(DocumentKind::Factura, 900, 8, State::Done);
        otherTill.caja = 2;
        in.journal << otherTill;
        // A lectura X took coupon 8 on a printer that counts reports as documents; a Z on one
        // that does not took none. Another till's report explains nothing here.
        in.reports = {stationReport(JournalReport::Kind::X, 1, 7, 8),
                      stationReport(JournalReport::Kind::Z, 1, 8, 8),
                      stationReport(JournalReport::Kind::X, 2, 5, 6)};

        const ReconciliationReport report = reconcile(in);
        QString all;
        for (const Finding &finding : report.findings)
            all += finding.text + u'\n';
        QCOMPARE(kinds(report),
                 (QList<Kind>{Kind::Duplicate, Kind::Unreadable, Kind::Hole, Kind::ExplainedHole,
                              Kind::ExplainedHole, Kind::ExplainedHole, Kind::NotMarked,
                              Kind::MarkedOutside, Kind::MarkedOutside, Kind::HeldBack}));
        for (const char *text :
             {"El cupón 000002 está en 2 registros: factura 102, factura 103.",
              "Factura 104: el número de control «X\"1,2»",
              "El cupón 000006 no está en ningún registro: sin explicación",
              "El cupón 000008 no está en ningún registro: lectura X de la estación "
              "(2026-12-07 10:00).",
              "El cupón 000004 no está en ningún registro: anulado por la estación (factura 105)",
              "Factura 106: la estación la imprimió (cupón 000005)",
              "Factura 107 está marcada (control 000007)",
              "Factura 108 está retenida desde 2026-12-07 09:00 (3 h 30 min)"})
            QVERIFY2(all.contains(QString::fromUtf8(text)), qPrintable(all));
        QVERIFY(!report.clean());
        QVERIFY(report.summary.contains(QStringLiteral("1 huecos sin explicación")));
        // For a spreadsheet: one row a finding, a value quoted where it holds a comma or a
        // quote, the summary last.
        const QStringList rows = reconciliationCsv(report).split(QStringLiteral("\r\n"));
        QCOMPARE(rows.first(),
                 QChar(0xFEFF) + QStringLiteral("tipo,documento,numero,fecha,explicacion"));
        for (const char *row :
             {"duplicado,\"factura 102, factura 103\",000002,2026-12-07,\"El cupón 000002 está "
              "en 2 registros: factura 102, factura 103.\"",
              "ilegible,factura 104,\"X\"\"1,2\",2026-12-07,\"Factura 104: el número de control "
              "«X\"\"1,2» no es un número de cupón.\"",
              "hueco,,000006,,\"El cupón 000006 no está en ningún registro: sin explicación",
              "hueco explicado,lectura X,000008,2026-12-07,El cupón 000008 no está",
              "sin marcar,factura 106,000005,2026-12-07,Factura 106: la estación la imprimió",
              "marcado por otro,factura 107,000007,2026-12-07,\"Factura 107 está marcada",
              "retenido,factura 108,,2026-12-07,\"Factura 108 está retenida",
              "resumen,,,,\"Caja 1: "})
            QVERIFY2(
                std::any_of(rows.cbegin(), rows.cend(),
                            [&](const QString &r) { return r.startsWith(QString::fromUtf8(row)); }),
                row);
        QCOMPARE(rows.last(), QString());

        // A period that ends before the day holds none of it.
        in.to = QDate(2026, 12, 6);
        QCOMPARE(kinds(reconcile(in)), QList<Kind>{Kind::HeldBack});

        // The clean documents alone, up to the printer's last coupon: nothing to report.
        in.to = {};
        in.printerCoupon = 3;
        in.records = {in.records[0], in.records[1], in.records[5]};
        in.journal = in.journal.mid(0, 3);
        const ReconciliationReport clean = reconcile(in);
        QVERIFY2(clean.findings.isEmpty(), qPrintable(clean.findings.value(0).text));
        QVERIFY(clean.clean());
        QVERIFY(clean.summary.endsWith(
            QStringLiteral("último cupón de la impresora 000003. Sin hallazgos.")));
    }

    // After a day's printing the bundle holds exactly the station's files and reports, and the
    // server password appears nowhere in it, though the configuration names it.
    void supportBundle() {
        StationProgram station;
        QVERIFY(station.run(StationProgram::untilIdle()).exitCode == 0);
        // On a file database --estado reads the station's own print journal.
        const ProgramRun status = station.run({QStringLiteral("--estado")});
        QVERIFY2(status.exitCode == 0 && status.out.contains(QStringLiteral("cupón 0000")) &&
                     status.out.contains(QStringLiteral("Ningún documento retenido.")),
                 qPrintable(status.out + status.err));
        QFile::copy(station.file(QStringLiteral("robot-fiscal.log")),
                    station.file(QStringLiteral("robot-fiscal.log.1")));
        // Notepad's "Unicode": UTF-16 with a byte-order mark. Written only now: with it the
        // station itself would not have read the file database.
        QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        QVERIFY(writeFile(
            station.file(QStringLiteral("robot-fiscal.ini")),
            utf16(QStringLiteral("[BaseDeDatos]\r\nMotor=postgresql\r\nServidor="
                                 "127.0.0.1\r\n  clave = s3creto-Ñ\r\nUsuario=robot\r\n"))));
        const ProgramRun bundled = station.run(
            {QStringLiteral("--paquete-soporte"), station.file(QStringLiteral("soporte.tar.gz"))});
        QVERIFY2(bundled.exitCode == 0, qPrintable(bundled.out + bundled.err));

        QTemporaryDir unpacked;
        QCOMPARE(QProcess::execute(QStringLiteral("tar"),
                                   {QStringLiteral("-xzf"),
                                    station.file(QStringLiteral("soporte.tar.gz")),
                                    QStringLiteral("-C"), unpacked.path()}),
                 0);
        const QStringList listed =
            QDir(unpacked.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
        QCOMPARE(listed, (QStringList{"ImpresorFiscal.inf", "conciliacion.txt", "diagnostico.txt",
                                      "robot-fiscal-diario.db", "robot-fiscal.ini",
                                      "robot-fiscal.log", "robot-fiscal.log.1", "version.txt"}));
        for (const QString &name : listed) {
            QFile file(unpacked.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray data = file.readAll();
            QVERIFY2(!data.contains("s3creto") &&
                         !data.contains(QByteArray(reinterpret_cast<const char *>(u"s3creto"), 14)),
                     qPrintable(name));
        }
        QVERIFY(readAll(unpacked.filePath(QStringLiteral("robot-fiscal.ini")))
                    .contains(QStringLiteral("Usuario=robot")));
        QVERIFY(readAll(unpacked.filePath(QStringLiteral("version.txt")))
                    .startsWith(QStringLiteral("robot-fiscal ")));
    }
};

QTEST_GUILESS_MAIN(TestTechnicianTools)
#include "test_technician_tools.moc"
