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

#include <array>

namespace {

const QString kContinuacion = QStringLiteral("Continua Item Anterior");
const QString kDescuentoFactura = QStringLiteral("Descuento a factura");

// A credit-note line ready for the printer, prepared before the credit note is opened.
struct CreditLine {
    ItemLine item;
    double amount = 0;
    bool analysed = false; // lines from line records have the printer's answer shown
};

ItemLine creditItem(const QString &codigo, const QString &descripcion, const QString &alicuota,
                    const QString &cantidad) {
    return {codigo,
            descripcion,
            alicuota,
            QStringLiteral("I"),
            cantidad,
            2,
            QStringLiteral("%"),
            QStringLiteral("0000")};
}

QString refusal(const char *entryPoint, short code) {
    return QStringLiteral("La impresora no aceptó %1 (código %2).")
        .arg(QString::fromLatin1(entryPoint))
        .arg(code);
}

} // namespace

void PrintingProcedures::ImprimirNotaCredito() {
    ctx.robot.setTimerEnabled(false);
    double stage = 0;
    qint32 codigo = 0;
    bool found = false;
    if (!reconciler.reconcile()) {
        ctx.robot.setTimerEnabled(true);
        return; // the printer must first tell what became of an unfinished document
    }
    for (const PendingDocument &pending : ctx.sources.creditNotes()) {
        if (!ctx.journal.blocks(PrintJournal::Kind::NotaCredito, pending.codigo)) {
            codigo = pending.codigo;
            found = true;
            break;
        }
    }
    if (!found || codigo == ctx.robot.UltimoCodigo) {
        ctx.robot.setTimerEnabled(true);
        return;
    }
    ctx.robot.UltimoCodigo = codigo;
    ctx.log.write(QStringLiteral("Nota de crédito %1 tomada para impresión.").arg(codigo));

    auto fail = [&](const QString &reason) {
        const QString shownStage = formatPlainNumber(stage);
        ctx.messages.show(stageMessage(shownStage, reason));
        ctx.robot.noteStoppedAfterFailure(
            QStringLiteral("nota de crédito %1, etapa %2").arg(codigo).arg(shownStage));
        ctx.log.write(QStringLiteral("Nota de crédito %1 no impresa: etapa %2. %3")
                          .arg(codigo)
                          .arg(shownStage, reason));
    };
    auto missingField = [](const QString &field) {
        return QStringLiteral("El campo %1 está vacío o no existe.").arg(field);
    };

    DocumentConnection db;
    QString error;
    DocumentRecords records;
    if (!db.open(ctx.RutaBaseDatos, QStringLiteral("nota"), &error) ||
        !readDocument(db, db.statements().creditNoteHeader(codigo),
                      db.statements().creditNoteLines(codigo), &records, &error))
        return fail(error);
    if (!records.header) {
        ctx.log.write(
            QStringLiteral("Nota de crédito %1: no se encontró su registro.").arg(codigo));
        db.close();
        ctx.robot.setTimerEnabled(true);
        return;
    }
    const QSqlRecord &header = *records.header;

    // Every field is checked before the credit note is opened on the printer.
    stage = 2.2;
    if (header.indexOf(QStringLiteral("Dirección")) < 0)
        return fail(missingField(QStringLiteral("Dirección")));
    stage = 2.4;
    QString missing =
        firstMissingOrNull(header, {QStringLiteral("NombreCliente"), QStringLiteral("RIF"),
                                    QStringLiteral("Factura")});
    if (!missing.isEmpty())
        return fail(missingField(missing));
    stage = 2.5;
    missing = firstMissingOrNull(header, {QStringLiteral("PorcentImpuesto"),
                                          QStringLiteral("Monto"), QStringLiteral("MontoExcento")});
    if (!missing.isEmpty())
        return fail(missingField(missing));

    const QString nombre =
        header.value(QStringLiteral("NombreCliente")).toString().trimmed().left(37);
    const QString rif = header.value(QStringLiteral("RIF")).toString().trimmed();
    const QString factura = header.value(QStringLiteral("Factura")).toString();
    const QDate today = ctx.clock.today();
    const double rate = header.value(QStringLiteral("PorcentImpuesto")).toDouble();
    const double monto = header.value(QStringLiteral("Monto")).toDouble();
    const double montoExcento = header.value(QStringLiteral("MontoExcento")).toDouble();
    const double discount = header.value(QStringLiteral("DescuentoFactura")).toDouble();
    double tasa = rate * 100;
    const QString rateCode = zeroPad(Cifras(tasa, 2, 2).toLongLong(), 4);

    QList<CreditLine> lines;
    if (!records.lines.isEmpty()) {
        const qint16 mode = quantityMode();
        const QString quantityField =
            mode == 1 ? QStringLiteral("Cantidad") : QStringLiteral("CantDec");
        stage = 3;
        for (const QSqlRecord &record : records.lines) {
            missing = firstMissingOrNull(record, {quantityField});
            if (!missing.isEmpty())
                return fail(missingField(missing));
            stage = 4;
            missing =
                firstMissingOrNull(record, {QStringLiteral("Nombre"), QStringLiteral("Precio")});
            if (!missing.isEmpty())
                return fail(missingField(missing));
            const double quantity = record.value(quantityField).toDouble();
            const bool exempt = yesNo(record, QStringLiteral("ExcentoImpuesto")).value_or(false);
            QString description =
                record.value(QStringLiteral("Nombre")).toString().left(29).trimmed();
            lines.append(
                {creditItem(QStringLiteral(" "), LimpioCadena(description),
                            exempt ? QStringLiteral("FF") : rateCode, formatPlainNumber(quantity)),
                 record.value(QStringLiteral("Precio")).toDouble(), true});
        }
    } else if (rate > 0) {
        if (monto > 0)
            lines.append({creditItem(QStringLiteral("0000"), kDescuentoFactura, rateCode,
                                     QStringLiteral("1")),
                          monto, false});
        if (montoExcento > 0)
            lines.append({creditItem(QStringLiteral("0000"), kDescuentoFactura,
                                     QStringLiteral("II"), QStringLiteral("1")),
                          montoExcento, false});
    } else {
        lines.append({creditItem(QStringLiteral("0000"), kDescuentoFactura, QStringLiteral("II"),
                                 QStringLiteral("1")),
                      monto + montoExcento, false});
    }

    try {
        stage = 2.4;
        const qint64 entry = startJournalEntry(PrintJournal::Kind::NotaCredito, codigo, &error);
        if (entry == 0)
            return fail(error);
        const std::array<QString, 10> opening = {nombre,
                                                 QString(),
                                                 rif,
                                                 zeroPad(today.day(), 2),
                                                 zeroPad(today.month(), 2),
                                                 zeroPad(today.year(), 4).right(2),
                                                 QStringLiteral("12"),
                                                 QStringLiteral("01"),
                                                 QStringLiteral("01"),
                                                 factura};
        const short opened = ctx.printer.AbreNotaDeCredito(opening);
        if (opened != 1)
            return fail(refusal("Bematech_FI_AbreNotaDeCredito", opened));

        stage = 3;
        for (const CreditLine &line : lines) {
            if (line.analysed)
                stage = 4;
            auto analyse = [&] {
                if (line.analysed)
                    AnalizaRetorno(ctx.printer, ctx.messages, {}, {}, ctx.printer.CodigoRetorno,
                                   QStringLiteral("Poniendo detalle"));
            };
            const short sent =
                sendItemLine(ctx.printer, line.item, line.amount, kContinuacion, analyse);
            if (sent != 1)
                return fail(refusal("Bematech_FI_VendeArticulo", sent));
        }

        ctx.printer.CodigoRetorno = ctx.printer.IniciaCierreCupon(
            QStringLiteral("D"), QStringLiteral("$"), formatAmount(discount));
        stage = 7; // passing through 6: the closing call and its analysis
        ctx.printer.CodigoRetorno = ctx.printer.CierraCuponReducido(
            QStringLiteral("Tícket"), QStringLiteral("Gracias, vuelva siempre !!!"));
        AnalizaRetorno(ctx.printer, ctx.messages, {}, {}, ctx.printer.CodigoRetorno,
                       QStringLiteral("Emisión de Cupón Fiscal"));
        if (ctx.printer.CodigoRetorno != 1)
            return fail(refusal("Bematech_FI_CierraCuponReducido", ctx.printer.CodigoRetorno));

        stage = 8;
        QString reducciones(6, u' ');
        const short reduccionesRead = ctx.printer.NumeroReducciones(reducciones);
        if (reduccionesRead != 1)
            return fail(numbersMissing(reduccionesRead));
        const qint64 numeroZ = zNumberFromReply(reducciones);
        const QString numero = QString::number(codigo);
        QString journalError;
        if (!ctx.journal.setState(entry, PrintJournal::State::Printed, &journalError, {}, numeroZ))
            ctx.log.write(journalError);
        if (!markPrinted(db, ctx.RutaBaseDatos, db.statements().creditNoteUpdate(),
                         {numero, numero, numeroZ, codigo}, ctx.clock, &error)) {
            ctx.messages.show(
                QStringLiteral("La nota de crédito %1 SÍ fue impresa (número Z %2), pero no se "
                               "pudo marcar como impresa en la base de datos:\r%3\rNo se "
                               "imprimirá de nuevo. Márquela como impresa antes de volver a "
                               "iniciar el robot.")
                    .arg(codigo)
                    .arg(numeroZ)
                    .arg(error),
                MessageIcon::Critical);
            ctx.robot.noteStoppedAfterFailure(
                QStringLiteral("nota de crédito %1 impresa sin marcar").arg(codigo));
            ctx.log.write(QStringLiteral("Nota de crédito %1 impresa (Z %2) pero no marcada: %3")
                              .arg(codigo)
                              .arg(numeroZ)
                              .arg(error));
            return;
        }
        if (!ctx.journal.setState(entry, PrintJournal::State::Done, &journalError))
            ctx.log.write(journalError);
        ctx.log.write(
            QStringLiteral("Nota de crédito %1 impresa: número Z %2.").arg(codigo).arg(numeroZ));
    } catch (const PrinterUnavailable &e) {
        return fail(e.text);
    }
    db.close();
    ctx.robot.setTimerEnabled(true);
}
