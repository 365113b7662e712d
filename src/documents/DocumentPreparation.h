#pragma once

#include "documents/DocumentRecords.h"
#include "documents/ItemLines.h"

#include <QList>
#include <QString>
#include <optional>

// One item line ready for the printer, with the unit price it carries (split if too large).
struct PreparedLine {
    ItemLine item;
    double price = 0;
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

// A field the document cannot be printed without, and the stage it belongs to.
struct MissingField {
    double stage = 0;
    QString field;
};

// Everything a document needs is read and checked before the printer is called: a document
// left half open by a bad record cannot be taken back. `quantityMode` is 1 (Cantidad) or 2-3
// (CantDec).
std::optional<MissingField> prepareInvoice(const DocumentRecords &records, qint16 quantityMode,
                                           PreparedInvoice *invoice);
std::optional<MissingField> prepareCreditNote(const DocumentRecords &records, qint16 quantityMode,
                                              PreparedCreditNote *note);
