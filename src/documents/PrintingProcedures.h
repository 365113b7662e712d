#pragma once

#include "documents/DocumentPrinting.h"
#include "documents/PrintingContext.h"

#include <QSet>

// Prints pending documents: an invoice as a fiscal sale coupon, a credit note as a fiscal
// credit note, each then marked printed in the document database.
class PrintingProcedures : public DocumentPrinting {
public:
    explicit PrintingProcedures(const PrintingContext &context) : ctx(context) {}

    void ImprimirFactura() override;
    void ImprimirNotaCredito() override;

private:
    // Quantity mode 0 would print zero quantities: whole quantities are printed instead.
    qint16 quantityMode();

    PrintingContext ctx;
    bool modeZeroLogged = false;
    // Printed but not marked in the database: never printed again during this run.
    QSet<qint32> printedUnmarkedInvoices;
    QSet<qint32> printedUnmarkedCreditNotes;
};
