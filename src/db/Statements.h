#pragma once

#include <QString>
#include <QtGlobal>

namespace robot {

// Every statement the station sends to the document database, one set per SQL dialect, so
// that nothing outside the database layer knows which engine answers. Updates take bound
// positional parameters, never text built from the printer's answers.
class Statements {
public:
    virtual ~Statements() = default;
    virtual QString pendingInvoices(qint32 caja) const = 0;
    virtual QString pendingCreditNotes(qint32 caja) const = 0;
    virtual QString configuration() const = 0;
    virtual QString invoiceHeader(qint64 codigo) const = 0;
    virtual QString invoiceLines(qint64 codigo) const = 0;
    // Parameters: Factura, Control, NúmeroZ, Código.
    virtual QString invoiceUpdate() const = 0;
    virtual QString creditNoteHeader(qint64 codigo) const = 0;
    virtual QString creditNoteLines(qint64 codigo) const = 0;
    // Parameters: Número, Control, NúmeroZ, Código.
    virtual QString creditNoteUpdate() const = 0;
    // An update that changes nothing, to learn whether the record can be written. Parameter:
    // Código.
    virtual QString invoiceWriteCheck() const = 0;
    virtual QString creditNoteWriteCheck() const = 0;
    // A row when the database holds any invoice or credit note of fiscal machine `caja`,
    // printed or not: a Caja with none at all is likely mistyped.
    virtual QString anyDocumentOfCaja(qint32 caja) const = 0;
    // The records of `caja` that carry a control number, invoices and credit notes together:
    // columns Tipo (0 invoice, 1 credit note), Código, Fecha, Control.
    virtual QString markedRecords(qint32 caja) const = 0;
};

// Access (Jet) SQL, as the back-office database has always been queried.
const Statements &jetStatements();
// SQLite, selecting the same records with the yes/no semantics of the back-office data.
const Statements &sqliteStatements();

// PostgreSQL, the same records from the same tables and views under their quoted names.
const Statements &postgresStatements();

} // namespace robot
