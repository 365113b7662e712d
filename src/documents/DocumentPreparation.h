#pragma once

#include "core/Result.h"
#include "db/DocumentStore.h"
#include "documents/DocumentJob.h"
#include "documents/ItemLines.h"

#include <QList>
#include <QString>
#include <optional>

namespace robot {

// One item line ready for the printer, with the pieces its unit price is sent in.
struct PreparedLine {
    ItemLine item;
    QList<double> pieces;
    bool analysed = false; // the printer's answer is shown after it (credit-note line records)
};

struct PreparedInvoice {
    QString rif;
    QString nombre;
    QString direccion;
    QString formaPago;
    double discount = 0;
    double total = 0; // before the discount, tax included
    QList<PreparedLine> lines;
};

struct PreparedCreditNote {
    QString nombre;
    QString rif;
    QString factura;
    double discount = 0;
    QList<PreparedLine> lines;
};

// Everything a document needs is read and checked before the printer is called: a document
// left half open by a bad record cannot be taken back, and one printed with a wrong amount
// cannot be taken back either. A field that is missing, NULL where a value is needed, not a
// number, or a number no receipt can carry stops the document at the stage it belongs to.
// `quantityMode` is 1 (Cantidad) or 2-3 (CantDec).
Result<PreparedInvoice, StageFailure> prepareInvoice(const DocumentRows &rows, qint16 quantityMode);
Result<PreparedCreditNote, StageFailure> prepareCreditNote(const DocumentRows &rows,
                                                           qint16 quantityMode);

} // namespace robot
