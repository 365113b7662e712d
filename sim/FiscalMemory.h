#pragma once

#include "Status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Everything the printer keeps between calls. Amounts are whole cents; texts are
// Windows-1252, as the printer receives them.

enum class DocumentKind { Sale, CreditNote };
// Items: item lines may be added. Closing: the closing has started; only payments and the
// final closing call are accepted.
enum class DocumentStage { Items, Closing };

struct Item {
    std::string taxCode;
    std::int64_t amountCents = 0; // after the item's own discount, before tax
    std::int64_t taxCents = 0;
};

struct Payment {
    std::string form;
    std::int64_t cents = 0;
};

struct Document {
    DocumentKind kind = DocumentKind::Sale;
    int number = 0; // the number it gets when it is completed
    DocumentStage stage = DocumentStage::Items;
    std::vector<Item> items;
    std::int64_t adjustmentCents = 0; // negative for a discount, positive for a surcharge
    std::vector<Payment> payments;

    std::int64_t taxCents() const {
        std::int64_t sum = 0;
        for (const Item &item : items)
            sum += item.taxCents;
        return sum;
    }
    std::int64_t subtotalCents() const {
        std::int64_t sum = 0;
        for (const Item &item : items)
            sum += item.amountCents + item.taxCents;
        return sum;
    }
    std::int64_t totalCents() const { return subtotalCents() + adjustmentCents; }
    std::int64_t paidCents() const {
        std::int64_t sum = 0;
        for (const Payment &payment : payments)
            sum += payment.cents;
        return sum;
    }
};

// Totals since the last Z reduction.
struct DayTotals {
    int sales = 0;
    int creditNotes = 0;
    int cancelled = 0;
    std::int64_t salesCents = 0;
    std::int64_t salesTaxCents = 0;
    std::int64_t creditCents = 0;
    std::int64_t creditTaxCents = 0;
    std::int64_t discountCents = 0;
    std::int64_t surchargeCents = 0;
};

// The printer's clock; year 0 stands for no date at all.
struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool isValid() const { return year != 0; }
};

struct Reduction {
    int number = 0;
    DateTime when;
    int lastDocument = 0;
    DayTotals totals;
};

struct FiscalMemory {
    std::string serial = "BE0908ZZ12345";
    int documents = 0; // completed sale coupons and credit notes
    int reductions = 0;
    int interventions = 0;
    int ownerReplacements = 0;
    int xReadings = 0;
    int drawerOpenings = 0;
    DayTotals day;
    std::optional<Reduction> lastReduction;
    std::optional<Document> document;
    PrinterStatus last;
    std::string lastCall;
    // Some printers give a document its number when it opens (a cancelled one keeps it), others
    // when it closes.
    bool numbersAtOpening = false;
};
