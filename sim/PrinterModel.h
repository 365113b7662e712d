#pragma once

#include "FiscalMemory.h"
#include "PaperRoll.h"

#include <QDateTime>
#include <array>

// The arguments of one item line, decoded but not yet checked.
struct ItemRequest {
    QString code;
    QString description;
    QString taxCode;
    QString quantityType;
    QString quantity;
    short decimals = 2;
    QString unitPrice;
    QString discountType;
    QString discount;
};

// The printer itself: the document state machine over the fiscal memory, printing on the
// roll. Every command checks the document order and its arguments before changing anything.
class PrinterModel {
public:
    PrinterModel(FiscalMemory &memory, PaperRoll &paper, QDateTime now)
        : m(memory), paper(paper), now(std::move(now)) {}

    // Documents (PrinterModel.cpp).
    Outcome openSale(const QString &rif, const QString &name, const QString &address);
    Outcome openCreditNote(const std::array<QString, 10> &texts);
    Outcome sellItem(const ItemRequest &request);
    Outcome startClosing(const QString &kind, const QString &type, const QString &value);
    Outcome pay(const QString &form, const QString &value);
    Outcome finishSale(const QString &message);
    Outcome closeCreditNote(const QString &form, const QString &message);
    Outcome cancel();

    // Reports, drawer and queries (PrinterReports.cpp).
    Outcome readingX();
    Outcome reductionZ(const QString &date, const QString &time);
    Outcome openDrawer();
    Outcome documentCounter() const;
    Outcome reductionCounter() const;
    Outcome interventionCounter() const;
    Outcome serialNumber() const;
    Outcome lastReductionData() const;
    Outcome nonFiscalCounters() const;
    Outcome ownerReplacements() const;
    Outcome lastAnswer() const;
    Outcome lastStatus() const;

private:
    // Queries still answer during a document; ST1 says that one is open.
    Outcome answer(const QString &text) const;
    void printDayTotals(const DayTotals &totals);
    void completeDocument(const QString &closedMarker);

    FiscalMemory &m;
    PaperRoll &paper;
    QDateTime now;
};

// Receipt and answer formats shared by the model's files.
namespace Receipt {
QString money(qint64 cents);
QString digits(int value, int width);
// A label on the left and a value flush right across the roll.
QString row(const QString &label, const QString &value);
} // namespace Receipt
