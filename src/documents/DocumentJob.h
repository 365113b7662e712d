#pragma once

#include "core/DocumentKind.h"
#include "core/Result.h"
#include "printer/AnalizaRetorno.h"

#include <QString>
#include <optional>

namespace robot {

struct DocumentRows;

// Why a document stopped: the stage reached and, when known, the reason in the operator's words.
struct StageFailure {
    StageFailure(double stage = 0, QString reason = {}, std::optional<PrinterRefusal> refusal = {})
        : stage(stage), reason(std::move(reason)), refusal(std::move(refusal)) {}
    double stage = 0;
    QString reason;
    // What the printer said when it refused the call, if that was the failure: its own words
    // for the operator and its whole answer for the log.
    std::optional<PrinterRefusal> refusal;
};

// Keeps a preparation's document in `into`, or passes its failure on.
template <typename Prepared>
Result<void, StageFailure> keepPrepared(Result<Prepared, StageFailure> prepared, Prepared &into) {
    if (!prepared.ok())
        return prepared.why();
    into = std::move(prepared.value());
    return {};
}

// What one kind of document does of its own; the sequence around it (choosing the document,
// the journal, reading the numbers back, marking the record) is shared by both kinds.
class DocumentJob {
public:
    virtual ~DocumentJob() = default;
    virtual DocumentKind kind() const = 0;
    // "Factura", "Nota de crédito": how the log and messages start a sentence about it.
    virtual QString title() const = 0;
    // Reads and checks every field before the printer is touched.
    virtual Result<void, StageFailure> prepare(const DocumentRows &rows, qint16 quantityMode) = 0;
    // The stage of the first printer call, where the journal entry is begun.
    virtual double openingStage() const = 0;
    // Opening to closing on the printer; `stage` follows the progress.
    virtual Result<void, StageFailure> print(double &stage) = 0;
    // An invoice is recorded under the printer's coupon number and opens the drawer; a credit
    // note is recorded under its own code.
    virtual bool isInvoice() const { return kind() == DocumentKind::Factura; }
};

} // namespace robot
