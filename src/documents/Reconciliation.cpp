#include "documents/Reconciliation.h"

#include "db/DocumentDatabase.h"
#include "db/Statements.h"
#include "documents/MarkPrinted.h"
#include "documents/RobotControl.h"
#include "documents/StationLog.h"
#include "printer/FiscalPrinter.h"
#include "printer/OperatorMessages.h"

#include <QSqlQuery>
#include <QStringList>

PrinterCounters readCounters(FiscalPrinter &printer) {
    PrinterCounters counters;
    QString coupon(6, u' ');
    QString reductions(6, u' ');
    const short couponResult = printer.NumeroCupon(coupon);
    short ack = 0, st1 = 0, st2 = 0;
    const short statusResult = printer.RetornoImpresora(ack, st1, st2);
    const short reductionsResult = printer.NumeroReducciones(reductions);
    bool couponOk = false, reductionsOk = false;
    counters.couponText = coupon.trimmed();
    counters.coupon = counters.couponText.toLongLong(&couponOk);
    counters.reductions = reductions.trimmed().toLongLong(&reductionsOk);
    counters.documentOpen = (st1 & 2) != 0;
    counters.answered =
        couponResult == 1 && statusResult == 1 && reductionsResult == 1 && couponOk && reductionsOk;
    return counters;
}

bool Reconciler::writeBack(const PrintJournal::Entry &entry, QString *error) {
    DocumentConnection db;
    if (!db.open(ctx.RutaBaseDatos, QStringLiteral("diario"), error))
        return false;
    const bool invoice = entry.kind == PrintJournal::Kind::Factura;
    const QString number = invoice ? entry.coupon : QString::number(entry.codigo);
    const QString statement =
        invoice ? db.statements().invoiceUpdate() : db.statements().creditNoteUpdate();
    return markPrinted(db, ctx.RutaBaseDatos, statement,
                       {number, number, entry.numeroZ, entry.codigo}, ctx.clock, error);
}

bool Reconciler::markedInDatabase(const PrintJournal::Entry &entry) {
    DocumentConnection db;
    QString error;
    if (!db.open(ctx.RutaBaseDatos, QStringLiteral("diario"), &error))
        return false;
    QSqlQuery query(db.database());
    const QString sql = entry.kind == PrintJournal::Kind::Factura
                            ? db.statements().invoiceHeader(entry.codigo)
                            : db.statements().creditNoteHeader(entry.codigo);
    return query.exec(sql) && query.next() && !query.value(QStringLiteral("Control")).isNull();
}

void Reconciler::settleOnPrinter(const PrintJournal::Entry &entry, bool &mayPrint,
                                 QStringList &notices) {
    const QString document = PrintJournal::describe(entry);
    PrinterCounters counters;
    try {
        counters = readCounters(ctx.printer);
    } catch (const PrinterUnavailable &e) {
        counters.answered = false;
        ctx.log.write(e.text);
    }
    QString error;
    if (!counters.answered) {
        mayPrint = false;
        notices << QStringLiteral("La impresora no responde: aún no se sabe si la %1 se imprimió.")
                       .arg(document);
        return;
    }
    if (counters.documentOpen) {
        mayPrint = false;
        const QString text =
            QStringLiteral("Hay un documento abierto en la impresora (%1). Anúlelo con «Anula "
                           "Cupon» o termínelo; mientras tanto el robot no imprime.")
                .arg(document);
        if (entry.state != PrintJournal::State::Open) {
            journal.setState(entry.id, PrintJournal::State::Open, &error);
            ctx.log.write(text);
            ctx.messages.show(text, MessageIcon::Critical);
        }
        notices << text;
        return;
    }
    const qint64 moved = counters.coupon - entry.couponBefore;
    // A Z report since then may have moved the counter itself on printers that count reports
    // as documents: only an unchanged reduction count lets the counter speak for the document.
    const bool reductionSince = counters.reductions != entry.reductionsBefore;
    if (moved == 1 && !reductionSince) {
        PrintJournal::Entry printed = entry;
        printed.coupon = counters.couponText;
        printed.numeroZ = entry.reductionsBefore + 1;
        journal.setState(entry.id, PrintJournal::State::Printed, &error, printed.coupon,
                         printed.numeroZ);
        ctx.log.write(QStringLiteral("La %1 se imprimió (documento %2 de la impresora, número Z "
                                     "%3); no se imprimirá de nuevo.")
                          .arg(document, counters.couponText)
                          .arg(printed.numeroZ));
        if (writeBack(printed, &error)) {
            journal.setState(entry.id, PrintJournal::State::Done, &error);
            ctx.log.write(QStringLiteral("La %1 quedó marcada como impresa.").arg(document));
        } else {
            notices << QStringLiteral("La %1 se imprimió pero aún no está marcada en la base de "
                                      "datos.")
                           .arg(document);
        }
    } else if (moved == 0) {
        journal.setState(entry.id, PrintJournal::State::Void, &error);
        ctx.log.write(
            QStringLiteral("La %1 no llegó a emitirse; puede imprimirse de nuevo.").arg(document));
    } else {
        journal.setState(entry.id, PrintJournal::State::Unknown, &error);
        const QString text =
            QStringLiteral("No se puede saber si la %1 se imprimió: el contador de documentos de "
                           "la impresora pasó de %2 a %3%4. No se imprimirá automáticamente; "
                           "revise el papel y márquela a mano si ya salió.")
                .arg(document)
                .arg(entry.couponBefore)
                .arg(counters.coupon)
                .arg(reductionSince ? QStringLiteral(" y hubo una reducción Z") : QString());
        ctx.log.write(text);
        ctx.messages.show(text, MessageIcon::Critical);
    }
}

bool Reconciler::reconcile() {
    const QList<PrintJournal::Entry> entries = journal.unfinished();
    if (entries.isEmpty()) {
        ctx.robot.noteJournal({}, false);
        return true;
    }
    bool mayPrint = true;
    QStringList notices;
    QString error;
    for (const PrintJournal::Entry &entry : entries) {
        const QString document = PrintJournal::describe(entry);
        switch (entry.state) {
        case PrintJournal::State::Printed: {
            if (writeBack(entry, &error)) {
                journal.setState(entry.id, PrintJournal::State::Done, &error);
                ctx.log.write(QStringLiteral("La %1 quedó marcada como impresa.").arg(document));
            } else {
                notices << QStringLiteral("La %1 se imprimió pero aún no está marcada en la base "
                                          "de datos.")
                               .arg(document);
            }
            break;
        }
        case PrintJournal::State::Unknown:
            if (markedInDatabase(entry)) {
                journal.setState(entry.id, PrintJournal::State::Done, &error);
                ctx.log.write(QStringLiteral("La %1 fue marcada en la base de datos: el diario la "
                                             "da por resuelta.")
                                  .arg(document));
            } else {
                notices
                    << QStringLiteral("No se sabe si la %1 se imprimió: revísela.").arg(document);
            }
            break;
        case PrintJournal::State::Printing:
        case PrintJournal::State::Open:
            settleOnPrinter(entry, mayPrint, notices);
            break;
        case PrintJournal::State::Done:
        case PrintJournal::State::Void:
            break;
        }
    }
    ctx.robot.noteJournal(notices.join(u' '), !mayPrint);
    return mayPrint;
}
