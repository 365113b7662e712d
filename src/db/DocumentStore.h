#pragma once

#include "core/DocumentKind.h"
#include "db/Row.h"

#include <QList>
#include <QString>
#include <optional>

class Clock;

// A document's header and its lines, read in full before anything goes to the printer.
struct DocumentRows {
    Row header;
    QList<Row> lines;
};

// The printing procedures' access to the document database: read a document, check that its
// record can be written, mark it printed. Each call opens and closes its own connection, so a
// share that went away and came back is found again.
class DocumentStore {
public:
    explicit DocumentStore(const QString &databasePath) : path(databasePath) {}

    enum class ReadOutcome { Read, NotFound, HeaderFailed, LinesFailed };
    ReadOutcome read(DocumentKind kind, qint64 codigo, DocumentRows *rows, QString *error) const;

    // Whether the record can be written right now (a database opened read-only, a full disk):
    // an update that changes nothing, rolled back.
    bool canWrite(DocumentKind kind, qint64 codigo, QString *error) const;

    // Writes the printer's numbers into the record: `number` into Factura and Control (an
    // invoice) or Número and Control (a credit note), Impresa, Imprimir and NúmeroZ. Tried
    // `attempts` times a second apart: the document is on paper already, and a lock held by
    // the back office or a share that blinks usually passes.
    bool markPrinted(DocumentKind kind, qint64 codigo, const QString &number, qint64 numeroZ,
                     Clock &clock, int attempts, QString *error) const;

    // Whether the record has a control number (printed, or marked by the back office);
    // nothing when the database cannot be read.
    std::optional<bool> isMarked(DocumentKind kind, qint64 codigo) const;

private:
    QString path;
};
