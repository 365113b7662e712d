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

#include <array>

namespace {

QString refusal(const char *entryPoint, short code) {
    return QStringLiteral("La impresora no aceptó %1 (código %2).")
        .arg(QString::fromLatin1(entryPoint))
        .arg(code);
}

} // namespace

bool PrintingProcedures::ImprimirNotaCredito() {
    ctx.robot.setTimerEnabled(false);
    const bool unsettled = ctx.journal.hasUnfinished();
    if (!reconciler.reconcile()) {
        ctx.robot.setTimerEnabled(true);
        return false; // the printer must first tell what became of an unfinished document
    }
    // A credit note the journal just marked printed must not be taken from the tick's list.
    if (unsettled && !ctx.sources.refreshCreditNotes()) {
        ctx.robot.setTimerEnabled(true);
        return false;
    }
    const std::optional<qint32> taken =
        firstPrintable(ctx.sources.creditNotes(), PrintJournal::Kind::NotaCredito);
    if (!taken || *taken == ctx.robot.UltimoCodigo) {
        ctx.robot.setTimerEnabled(true);
        return false;
    }
    const qint32 codigo = *taken;
    ctx.robot.UltimoCodigo = codigo;
    ctx.log.write(QStringLiteral("Nota de crédito %1 tomada para impresión.").arg(codigo));

    double stage = 0;
    auto fail = [&](const QString &reason) {
        reportStageFailure(QStringLiteral("Nota de crédito %1").arg(codigo), stage, reason);
        return true;
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
        return true;
    }
    PreparedCreditNote note;
    if (const auto missing = prepareCreditNote(records, quantityMode(), &note)) {
        stage = missing->stage;
        return fail(missing->field);
    }

    try {
        stage = 2.4;
        const qint64 entry = startJournalEntry(PrintJournal::Kind::NotaCredito, codigo, &error);
        if (entry == 0)
            return fail(error);
        const QDate today = ctx.clock.today();
        const std::array<QString, 10> opening = {note.nombre,
                                                 QString(),
                                                 note.rif,
                                                 zeroPad(today.day(), 2),
                                                 zeroPad(today.month(), 2),
                                                 zeroPad(today.year(), 4).right(2),
                                                 QStringLiteral("12"),
                                                 QStringLiteral("01"),
                                                 QStringLiteral("01"),
                                                 note.factura};
        const short opened = ctx.printer.AbreNotaDeCredito(opening);
        if (opened != 1)
            return fail(refusal("Bematech_FI_AbreNotaDeCredito", opened));

        stage = 3;
        for (const PreparedLine &line : note.lines) {
            auto analyse = [&] {
                if (line.analysed)
                    AnalizaRetorno(ctx.printer, ctx.messages, {}, {}, ctx.printer.CodigoRetorno,
                                   QStringLiteral("Poniendo detalle"));
            };
            if (line.analysed)
                stage = 4;
            const short sent = sendItemLine(ctx.printer, line.item, line.price,
                                            QStringLiteral("Continua Item Anterior"), analyse);
            if (sent != 1)
                return fail(refusal("Bematech_FI_VendeArticulo", sent));
        }

        ctx.printer.CodigoRetorno = ctx.printer.IniciaCierreCupon(
            QStringLiteral("D"), QStringLiteral("$"), formatAmount(note.discount));
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
            reportPrintedUnmarked(QStringLiteral("nota de crédito %1").arg(codigo),
                                  QStringLiteral("La nota de crédito %1 SÍ fue impresa con el "
                                                 "número Z %2")
                                      .arg(codigo)
                                      .arg(numeroZ),
                                  error);
            return true;
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
    return true;
}
