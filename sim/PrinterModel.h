#pragma once

#include "FiscalMemory.h"
#include "PaperRoll.h"

#include <array>
#include <string>

// The arguments of one item line, decoded but not yet checked.
struct ItemRequest {
    std::string code;
    std::string description;
    std::string taxCode;
    std::string quantityType;
    std::string quantity;
    short decimals = 2;
    std::string unitPrice;
    std::string discountType;
    std::string discount;
};

// The printer itself: the document state machine over the fiscal memory, printing on the
// roll. Every command checks the document order and its arguments before changing anything.
// Texts are Windows-1252: one byte a character, as the printer counts them.
class PrinterModel {
public:
    PrinterModel(FiscalMemory &memory, PaperRoll &paper, DateTime now)
        : m(memory), paper(paper), now(now) {}

    // Documents (PrinterModel.cpp).
    Outcome openSale(const std::string &rif, const std::string &name, const std::string &address);
    Outcome openCreditNote(const std::array<std::string, 10> &texts);
    Outcome sellItem(const ItemRequest &request);
    Outcome startClosing(const std::string &kind, const std::string &type,
                         const std::string &value);
    Outcome pay(const std::string &form, const std::string &value);
    Outcome finishSale(const std::string &message);
    Outcome closeCreditNote(const std::string &form, const std::string &message);
    Outcome cancel();

    // Reports, drawer and queries (PrinterReports.cpp).
    Outcome readingX();
    Outcome reductionZ(const std::string &date, const std::string &time);
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
    Outcome answer(const std::string &text) const;
    void printDayTotals(const DayTotals &totals);
    // On a printer that numbers documents when they open, the counter moves at once.
    void numberIfAtOpening();
    // The number a document shows as it opens. One numbered when it closes has none yet: a
    // cancelled one never gets it, and the next document does, so a number printed here would
    // be on the roll twice.
    std::string numberAtOpening() const;
    void completeDocument(const std::string &closedMarker);

    FiscalMemory &m;
    PaperRoll &paper;
    DateTime now;
};

// Receipt and answer formats shared by the model's files.
namespace Receipt {
// Windows-1252 of a UTF-8 literal: the roll's headings are written in the source as read.
std::string ansi(const char *utf8);
std::string money(std::int64_t cents);
std::string digits(long long value, int width);
// A label on the left and a value flush right across the roll.
std::string row(const std::string &label, const std::string &value);
std::string leftJustified(const std::string &text, std::size_t width);
// "dd/MM/yyyy HH:mm:ss".
std::string stamp(const DateTime &when);
bool isValidDate(int year, int month, int day);
} // namespace Receipt
