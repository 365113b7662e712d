#include "documents/PrintingProcedures.h"

#include "db/DocumentDatabase.h"
#include "db/PendingSources.h"
#include "db/Statements.h"
#include "documents/Clock.h"
#include "documents/DocumentPreparation.h"
#include "documents/MarkPrinted.h"
#include "documents/RobotControl.h"
#include "documents/StationLog.h"
#include "documents/TextFormat.h"
#include "printer/AnalizaRetorno.h"
#include "printer/FiscalPrinter.h"
#include "printer/OperatorMessages.h"

bool PrintingProcedures::ImprimirFactura() {
    // Settled first: a document it marks printed must not be taken from an older list.
    if (!reconciler.reconcile())
        return false; // the printer must first tell what became of an unfinished document
    if (!ctx.sources.refreshInvoices())
        return false; // a source that cannot be read never leads to printing
    const std::optional<qint32> taken =
        firstPrintable(ctx.sources.invoices(), PrintJournal::Kind::Factura);
    if (!taken || *taken == ctx.robot.UltimoCodigo)
        return false;
    const qint32 codigo = *taken;

    ctx.robot.UltimoCodigo = codigo;
    ctx.robot.setTimerEnabled(false);
    ctx.log.write(QStringLiteral("Factura %1 tomada para impresión.").arg(codigo));

    double stage = 0;
    auto fail = [&](const QString &reason) {
        reportStageFailure(QStringLiteral("Factura %1").arg(codigo), stage, reason);
        return true;
    };

    DocumentConnection db;
    QString error;
    DocumentRecords records;
    if (!db.open(ctx.RutaBaseDatos, QStringLiteral("factura"), &error) ||
        !readDocument(db, db.statements().invoiceHeader(codigo),
                      db.statements().invoiceLines(codigo), &records, &error))
        return fail(error);
    if (!records.header) {
        ctx.log.write(QStringLiteral("Factura %1: no se encontró su registro.").arg(codigo));
        ctx.clock.DelayMili(10);
        db.close();
        ctx.robot.setTimerEnabled(true);
        return true;
    }
    PreparedInvoice invoice;
    if (const auto missing = prepareInvoice(records, quantityMode(), &invoice)) {
        stage = missing->stage;
        return fail(missing->field);
    }

    try {
        stage = 2;
        const qint64 entry = startJournalEntry(PrintJournal::Kind::Factura, codigo, &error);
        if (entry == 0)
            return fail(error);
        ctx.printer.CodigoRetorno =
            ctx.printer.AbreComprobanteDeVentaEx(invoice.rif, invoice.nombre, invoice.direccion);
        AnalizaRetorno(ctx.printer, ctx.messages, {}, {}, ctx.printer.CodigoRetorno,
                       QStringLiteral("Emisión de Comprobante Fiscal"));
        if (ctx.printer.CodigoRetorno != 1)
            return fail({});

        stage = 3;
        for (const PreparedLine &line : invoice.lines) {
            stage = 4;
            if (sendItemLine(ctx.printer, line.item, line.price,
                             QStringLiteral("Continua item anterior")) != 1)
                return fail({});
        }

        stage = 5;
        ctx.printer.CodigoRetorno = ctx.printer.IniciaCierreCupon(
            QStringLiteral("D"), QStringLiteral("$"), formatAmount(invoice.discount));
        if (ctx.printer.CodigoRetorno != 1)
            return fail({});
        const QString montoPago = formatAmount(invoice.total - invoice.discount);

        // A payment or closing text the printer refused leaves the coupon incomplete.
        stage = 6;
        ctx.printer.CodigoRetorno = ctx.printer.EfectuaFormaPago(invoice.formaPago, montoPago);
        if (ctx.printer.CodigoRetorno != 1)
            return fail({});
        stage = 7;
        ctx.printer.CodigoRetorno =
            ctx.printer.FinalizarCierreCupon(QStringLiteral("Forma de pago:") + invoice.formaPago +
                                             u'\r' + QStringLiteral("Monto: ") + montoPago);
        if (ctx.printer.CodigoRetorno != 1)
            return fail({});

        stage = 8;
        QString reducciones(6, u' ');
        QString cupon(6, u' ');
        const short reduccionesRead = ctx.printer.NumeroReducciones(reducciones);
        ctx.printer.CodigoRetorno = ctx.printer.NumeroCupon(cupon);
        // Without its numbers the coupon cannot be marked; the journal settles it later.
        if (reduccionesRead != 1 || ctx.printer.CodigoRetorno != 1)
            return fail(
                numbersMissing(reduccionesRead != 1 ? reduccionesRead : ctx.printer.CodigoRetorno));
        while (cupon.endsWith(u' '))
            cupon.chop(1);
        const qint64 numeroZ = zNumberFromReply(reducciones);
        QString journalError;
        if (!ctx.journal.setState(entry, PrintJournal::State::Printed, &journalError, cupon,
                                  numeroZ))
            ctx.log.write(journalError);

        if (!markPrinted(db, ctx.RutaBaseDatos, db.statements().invoiceUpdate(),
                         {cupon, cupon, numeroZ, codigo}, ctx.clock, &error)) {
            reportPrintedUnmarked(
                QStringLiteral("factura %1").arg(codigo),
                QStringLiteral("La factura %1 SÍ fue impresa con el cupón %2 y el número Z %3")
                    .arg(codigo)
                    .arg(cupon)
                    .arg(numeroZ),
                error);
            return true;
        }
        ctx.log.write(QStringLiteral("Factura %1 impresa: cupón %2, número Z %3.")
                          .arg(codigo)
                          .arg(cupon)
                          .arg(numeroZ));
        ctx.printer.CodigoRetorno = ctx.printer.AccionaGaveta();
        // Done only now: should the station die at the drawer, the journal still knows the
        // coupon and writing it back again is harmless.
        if (!ctx.journal.setState(entry, PrintJournal::State::Done, &journalError))
            ctx.log.write(journalError);
    } catch (const PrinterUnavailable &e) {
        return fail(e.text);
    }

    ctx.clock.DelayMili(10);
    db.close();
    ctx.robot.setTimerEnabled(true);
    return true;
}
