// Times robot-fiscal --conciliar's work (reading the records, the journal and the printer's
// counters, and comparing them) over a station that printed many invoices and credit notes.
//
//   build/bin/bench-reconciliation [PRINTED_DOCUMENTS]     (default: 1000000)

#include "commands/StationReconciliation.h"
#include "db/DocumentSchema.h"
#include "db/PrintJournal.h"
#include "printer/LibraryPrinter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

using namespace robot;

namespace {

// Every fourth document a credit note, which keeps its own Código as its control number;
// every document in the journal as printed by the station, its number the counter before + 1.
void fill(const QString &database, const QString &journal, int printed) {
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(database);
        db.open();
        db.transaction();
        QSqlQuery invoice(db), credit(db);
        invoice.prepare(QStringLiteral("INSERT INTO Ventas (Código, Fecha, Control, Impresa, "
                                       "Imprimir, MáquinaFiscal) VALUES (?, '2026-12-07', ?, -1, "
                                       "0, 1)"));
        credit.prepare(QStringLiteral("INSERT INTO NotaCréditoVenta (Código, Fecha, Control, "
                                      "Impresa, Imprimir, MáquinaFiscal) VALUES (?, '2026-12-07', "
                                      "?, -1, 0, 1)"));
        for (int n = 1; n <= printed; ++n) {
            QSqlQuery &q = n % 4 == 0 ? credit : invoice;
            q.addBindValue(n);
            q.addBindValue(n % 4 == 0 ? QString::number(n)
                                      : QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0')));
            q.exec();
        }
        db.commit();
        db.setDatabaseName(journal);
        db.open();
        db.transaction();
        QSqlQuery entry(db);
        entry.prepare(QStringLiteral("INSERT INTO Diario (Tipo, Código, Caja, CupónAntes, "
                                     "ReduccionesAntes, Estado, Inicio, Cambio) VALUES (?, ?, 1, "
                                     "?, 0, 'terminado', '2026-12-07T09:00:00', "
                                     "'2026-12-07T09:00:01')"));
        for (int n = 1; n <= printed; ++n) {
            entry.addBindValue(n % 4 == 0 ? QStringLiteral("nota") : QStringLiteral("factura"));
            entry.addBindValue(n);
            entry.addBindValue(n - 1);
            entry.exec();
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int printed = args.size() > 1 ? args[1].toInt() : 1000000;

    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("Base de Datos.dba"));
    const QString journalPath = dir.filePath(QStringLiteral("robot-fiscal-diario.db"));
    PrintJournal journal;
    if (const Result<void> created = createDocumentDatabase(database); !created.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(created.error()));
        return 1;
    }
    if (const Result<void> opened = journal.open(journalPath); !opened.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    fill(database, journalPath, printed);
    std::printf("%d documentos impresos, en la base de datos y en el diario, en %.1f s\n", printed,
                timer.elapsed() / 1000.0);

    qputenv("VIRTUAL_PRINTER_DIR", dir.filePath(QStringLiteral("printer")).toUtf8());
    LibraryPrinter printer(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/libvirtual-fiscal-printer.so"));
    timer.restart();
    const Result<ReconciliationReport> report =
        reconcileStation({database, journalPath, 1}, printer, {}, {});
    const double seconds = timer.elapsed() / 1000.0;
    if (!report.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(report.error()));
        return 1;
    }
    std::printf("Conciliación: %.2f s (%lld hallazgos)\n%s\n", seconds,
                static_cast<long long>(report.value().findings.size()),
                qPrintable(report.value().summary));
    return 0;
}
