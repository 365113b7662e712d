#pragma once

#include "db/DocumentDatabase.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

namespace robot {

// A temporary data directory holding a document database with the station's schema, and
// small helpers to add and read back records. The database is the SQLite file in the directory,
// or the server database `serverAddress` names (created with the schema already). Statements
// quote their names with double quotes, which both engines read.
class DocumentFixture {
public:
    explicit DocumentFixture(const QString &serverAddress = {});

    QString directory() const { return dir.path() + u'/'; }
    // The station's RutaBaseDatos: the file's path or the server's address.
    QString databasePath() const {
        return server.isEmpty() ? directory() + QStringLiteral("Base de Datos.dba") : server;
    }

    void exec(const QString &sql);
    QVariant value(const QString &sql);

    // A pending invoice of `machine` with sensible values; `overrides` is an SQL SET list
    // applied afterwards (for example "RIF = NULL").
    void addInvoice(qint64 codigo, int machine = 1, const QString &overrides = {});
    void addInvoiceLine(qint64 venta, int linea, double cantidad, double precio,
                        const QString &nombre = QStringLiteral("Artículo"),
                        const QString &overrides = {});
    // addInvoice() with one line: one article at 10.
    void addInvoiceWithLine(qint64 codigo, int machine = 1);
    void addCreditNote(int codigo, int machine = 1, const QString &overrides = {});
    void addCreditNoteLine(int nota, int linea, double cantidad, double precio,
                           const QString &nombre = QStringLiteral("Artículo"),
                           const QString &overrides = {});
    void setConfiguration(const QString &values = QStringLiteral("'J123456789', -1, 0, 0"));

    // ImpresorFiscal.inf for fiscal machine `caja` and the marker file, in directory().
    void writeStationFiles(int caja = 1);

    QTemporaryDir dir;

private:
    void applyOverrides(const QString &table, const QString &where, const QString &overrides);
    void addLine(const QString &table, const QString &owner, qint64 document, int linea,
                 double cantidad, double precio, const QString &nombre, const QString &overrides);
    QString server;
    DocumentConnection connection;
};

} // namespace robot
