#pragma once

#include "core/DocumentKind.h"
#include "core/Result.h"
#include "db/Row.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

namespace robot {

class Clock;
class DocumentConnection;

// A document's header and its lines, read in full before anything goes to the printer.
struct DocumentRows {
    Row header;
    QList<Row> lines;
};

// Why a document could not be read: its printing stage depends on which part failed, and a
// record that is gone is no failure of the database.
struct ReadFailure {
    enum class Code { HeaderFailed, LinesFailed, NotFound } code;
    QString message;
};

// A record that carries a control number, as the reconciliation report reads it.
struct MarkedRecord {
    DocumentKind kind = DocumentKind::Factura;
    qint64 codigo = 0;
    QDate fecha; // invalid when the record has none
    QString control;
};

// The printing procedures' access to the document database: read a document, check that its
// record can be written, mark it printed. On a file each call opens and closes its own
// connection, so a share that went away and came back is found again. On a server, where a
// connection costs more than the statements of a whole document, one connection serves the
// calls of a document: checked before each call, opened again after a failure, and closed once
// unused for a few seconds so an idle station holds no more than its lists' connection.
class DocumentStore {
public:
    explicit DocumentStore(const QString &databasePath);
    ~DocumentStore();

    Result<DocumentRows, ReadFailure> read(DocumentKind kind, qint64 codigo) const;

    // Whether the record can be written right now (a database opened read-only, a full disk):
    // an update that changes nothing, rolled back.
    Result<void> canWrite(DocumentKind kind, qint64 codigo) const;

    // Writes the printer's numbers into the record: `number` into Factura and Control (an
    // invoice) or Número and Control (a credit note), Impresa, Imprimir and NúmeroZ. Tried
    // `attempts` times a second apart: the document is on paper already, and a lock held by
    // the back office or a share that blinks usually passes.
    Result<void> markPrinted(DocumentKind kind, qint64 codigo, const QString &number,
                             qint64 numeroZ, Clock &clock, int attempts) const;

    // Whether the record has a control number (printed, or marked by the back office);
    // nothing when the database cannot be read.
    std::optional<bool> isMarked(DocumentKind kind, qint64 codigo) const;

    // Every record of `caja` with a control number; why not, when the database cannot be read.
    Result<QList<MarkedRecord>> markedRecords(qint32 caja) const;

    // First record of "Select * from [Configuración];", nothing when there is none; why not,
    // when the database cannot be read yet (locked, a share not back): not the same as a
    // record that is missing.
    Result<std::optional<Row>> configurationRecord() const;

private:
    // The connection a call works through: `fresh` itself on a file, the kept one on a server
    // or through a bridge (one is not started for every document);
    // why not, when it cannot be opened.
    Result<DocumentConnection *> connect(DocumentConnection &fresh, const QString &purpose) const;
    // After a failed statement: a kept connection is opened again by the next call.
    void failedOn(DocumentConnection *db) const;

    QString path;
    bool keepsConnection;
    mutable std::unique_ptr<DocumentConnection> kept;
    mutable QTimer idle;
};

} // namespace robot
