#include "documents/PrintingProcedures.h"

#include "db/DocumentDatabase.h"
#include "db/PendingSources.h"
#include "db/Statements.h"
#include "documents/Clock.h"
#include "documents/DocumentRecords.h"
#include "documents/ItemLines.h"
#include "documents/MarkPrinted.h"
#include "documents/PrintJournal.h"
#include "documents/RobotControl.h"
#include "documents/StationLog.h"
#include "documents/TextFormat.h"
#include "printer/AnalizaRetorno.h"
#include "printer/FiscalPrinter.h"
#include "printer/OperatorMessages.h"

namespace {

const QString kTitulo = QStringLiteral("Emisión de Comprobante Fiscal");

// An invoice line ready for the printer, prepared before the coupon is opened.
struct InvoiceLine {
    ItemLine item;
    double price = 0;
};

} // namespace

qint16 PrintingProcedures::quantityMode() {
    if (ctx.robot.ModoCantidad != 0)
        return ctx.robot.ModoCantidad;
    if (!modeZeroLogged) {
        ctx.log.write(QStringLiteral("La configuración no indica qué cantidad imprimir "
                                     "(VerCantidad, VerCantidadDecimal): se imprimen las "
                                     "cantidades enteras."));
        modeZeroLogged = true;
    }
    return 1;
}

qint64 PrintingProcedures::startJournalEntry(PrintJournal::Kind kind, qint32 codigo,
                                             QString *error) {
    const PrinterCounters counters = readCounters(ctx.printer);
    if (!counters.answered) {
        *error = QStringLiteral("La impresora no responde: no se pudieron leer sus contadores.");
        return 0;
    }
    if (counters.documentOpen) {
        *error = QStringLiteral("Hay un documento abierto en la impresora: anúlelo con «Anula "
                                "Cupon» antes de continuar.");
        return 0;
    }
    return ctx.journal.begin(kind, codigo, ctx.Caja, counters.coupon, counters.reductions, error);
}

void PrintingProcedures::ImprimirFactura() {
    if (!ctx.sources.refreshInvoices())
        return; // a source that cannot be read never leads to printing
    if (!reconciler.reconcile())
        return; // the printer must first tell what became of an unfinished document
    qint32 codigo = 0;
    bool found = false;
    for (const PendingDocument &pending : ctx.sources.invoices()) {
        if (!ctx.journal.blocks(PrintJournal::Kind::Factura, pending.codigo)) {
            codigo = pending.codigo;
            found = true;
            break;
        }
    }
    if (!found || codigo == ctx.robot.UltimoCodigo)
        return;

    ctx.robot.UltimoCodigo = codigo;
    ctx.robot.setTimerEnabled(false);
    ctx.log.write(QStringLiteral("Factura %1 tomada para impresión.").arg(codigo));

    QString stage = QStringLiteral("0");
    auto fail = [&](const QString &reason) {
        ctx.messages.show(stageMessage(stage, reason));
        ctx.robot.noteStoppedAfterFailure(
            QStringLiteral("factura %1, etapa %2").arg(codigo).arg(stage));
        ctx.log.write(
            QStringLiteral("Factura %1 no impresa: etapa %2. %3").arg(codigo).arg(stage, reason));
    };

    DocumentConnection db;
    QString error;
    if (!db.open(ctx.RutaBaseDatos, QStringLiteral("factura"), &error))
        return fail(error);
    DocumentRecords records;
    if (!readDocument(db, db.statements().invoiceHeader(codigo),
                      db.statements().invoiceLines(codigo), &records, &error))
        return fail(error);
    if (!records.header) {
        ctx.log.write(QStringLiteral("Factura %1: no se encontró su registro.").arg(codigo));
        ctx.clock.DelayMili(10);
        db.close();
        ctx.robot.setTimerEnabled(true);
        return;
    }
    const QSqlRecord &header = *records.header;

    // Every field the coupon needs is checked before the printer is called: a coupon left
    // half open by a bad record cannot be taken back.
    stage = QStringLiteral("2");
    const QString missingHeader = firstMissingOrNull(
        header, {QStringLiteral("NombreCliente"), QStringLiteral("RIF"),
                 QStringLiteral("PorcentImpuesto"), QStringLiteral("Descuento01"),
                 QStringLiteral("Descuento02"), QStringLiteral("Descuento03")});
    if (!missingHeader.isEmpty())
        return fail(missingHeader);
    const QString nombre =
        header.value(QStringLiteral("NombreCliente")).toString().trimmed().left(37);
    const QString rif = header.value(QStringLiteral("RIF")).toString().trimmed();
    const QVariant direccionValue = header.value(QStringLiteral("Dirección"));
    const QString direccion = direccionValue.isNull()
                                  ? QStringLiteral("-")
                                  : direccionValue.toString().trimmed().left(37);
    const double rate = header.value(QStringLiteral("PorcentImpuesto")).toDouble();
    const bool plantilla = yesNo(header, QStringLiteral("PlantillaAuxiliar")).value_or(false);
    const QVariant medioPago = header.value(QStringLiteral("MedioPago"));
    const QString formaPago = (medioPago.isNull() || medioPago.toDouble() == 0.0)
                                  ? QStringLiteral("Efectivo")
                                  : QStringLiteral("Electronico");
    const double discount = header.value(QStringLiteral("Descuento01")).toDouble() +
                            header.value(QStringLiteral("Descuento02")).toDouble() +
                            header.value(QStringLiteral("Descuento03")).toDouble();
    double tasa = rate * 100;
    const QString rateCode = zeroPad(Cifras(tasa, 2, 2).toLongLong(), 4);

    const qint16 mode = quantityMode();
    const QString quantityField =
        mode == 1 ? QStringLiteral("Cantidad") : QStringLiteral("CantDec");
    QList<InvoiceLine> lines;
    double runningTotal = 0;
    for (const QSqlRecord &record : records.lines) {
        stage = QStringLiteral("4");
        const bool useSpec = plantilla && !record.value(QStringLiteral("Especificación")).isNull();
        const QString descriptionField =
            useSpec ? QStringLiteral("Especificación") : QStringLiteral("Nombre");
        const QString missing =
            firstMissingOrNull(record, {quantityField, QStringLiteral("Precio"), descriptionField});
        if (!missing.isEmpty())
            return fail(missing);
        const double quantity = record.value(quantityField).toDouble();
        const double price = record.value(QStringLiteral("Precio")).toDouble();
        const std::optional<bool> exempt = yesNo(record, QStringLiteral("ExcentoImpuesto"));
        runningTotal += quantity * price;
        // A line with no exemption flag is sent taxed, so its tax is paid too: a payment short
        // of the coupon's total would leave the coupon unclosed.
        if (exempt != true)
            runningTotal += price * quantity * rate;
        QString description = record.value(descriptionField).toString().left(29).trimmed();
        InvoiceLine line;
        line.item = {QString(),
                     LimpioCadena(description),
                     exempt == true ? QStringLiteral("FF") : rateCode,
                     QStringLiteral("F"),
                     formatAmount(quantity * 10),
                     2,
                     QStringLiteral("$"),
                     QStringLiteral("0,00")};
        line.price = price;
        lines.append(line);
    }

    try {
        stage = QStringLiteral("2");
        const qint64 entry = startJournalEntry(PrintJournal::Kind::Factura, codigo, &error);
        if (entry == 0)
            return fail(error);
        ctx.printer.CodigoRetorno = ctx.printer.AbreComprobanteDeVentaEx(rif, nombre, direccion);
        AnalizaRetorno(ctx.printer, ctx.messages, {}, {}, ctx.printer.CodigoRetorno, kTitulo);
        if (ctx.printer.CodigoRetorno != 1)
            return fail({});

        stage = QStringLiteral("3");
        for (const InvoiceLine &line : lines) {
            stage = QStringLiteral("4");
            if (sendItemLine(ctx.printer, line.item, line.price,
                             QStringLiteral("Continua item anterior")) != 1)
                return fail({});
        }

        stage = QStringLiteral("5");
        ctx.printer.CodigoRetorno = ctx.printer.IniciaCierreCupon(
            QStringLiteral("D"), QStringLiteral("$"), formatAmount(discount));
        if (ctx.printer.CodigoRetorno != 1)
            return fail({});
        const QString montoPago = formatAmount(runningTotal - discount);

        // A payment or closing text the printer refused leaves the coupon incomplete.
        stage = QStringLiteral("6");
        ctx.printer.CodigoRetorno = ctx.printer.EfectuaFormaPago(formaPago, montoPago);
        if (ctx.printer.CodigoRetorno != 1)
            return fail({});
        stage = QStringLiteral("7");
        ctx.printer.CodigoRetorno =
            ctx.printer.FinalizarCierreCupon(QStringLiteral("Forma de pago:") + formaPago + u'\r' +
                                             QStringLiteral("Monto: ") + montoPago);
        if (ctx.printer.CodigoRetorno != 1)
            return fail({});

        stage = QStringLiteral("8");
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
            const QString text =
                QStringLiteral("La factura %1 SÍ fue impresa con el cupón %2 y el número Z %3, "
                               "pero no se pudo marcar como impresa en la base de datos:\r%4\r"
                               "No se imprimirá de nuevo. Anote el cupón en la factura antes de "
                               "volver a iniciar el robot.")
                    .arg(codigo)
                    .arg(cupon)
                    .arg(numeroZ)
                    .arg(error);
            ctx.messages.show(text, MessageIcon::Critical);
            ctx.robot.noteStoppedAfterFailure(
                QStringLiteral("factura %1 impresa sin marcar").arg(codigo));
            ctx.log.write(QStringLiteral("Factura %1 impresa con el cupón %2 (Z %3) pero no "
                                         "marcada: %4")
                              .arg(codigo)
                              .arg(cupon)
                              .arg(numeroZ)
                              .arg(error));
            return;
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
}
