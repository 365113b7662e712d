#pragma once

#include "Status.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// Everything the printer keeps between calls. Amounts are whole cents.

enum class DocumentKind { Sale, CreditNote };
// Items: item lines may be added. Closing: the closing has started; only payments and the
// final closing call are accepted.
enum class DocumentStage { Items, Closing };

struct Item {
    QString taxCode;
    qint64 amountCents = 0; // after the item's own discount, before tax
    qint64 taxCents = 0;
};

struct Payment {
    QString form;
    qint64 cents = 0;
};

struct Document {
    DocumentKind kind = DocumentKind::Sale;
    int number = 0; // the number it gets when it is completed
    DocumentStage stage = DocumentStage::Items;
    QList<Item> items;
    qint64 adjustmentCents = 0; // negative for a discount, positive for a surcharge
    QList<Payment> payments;

    qint64 taxCents() const {
        qint64 sum = 0;
        for (const Item &item : items)
            sum += item.taxCents;
        return sum;
    }
    qint64 subtotalCents() const {
        qint64 sum = 0;
        for (const Item &item : items)
            sum += item.amountCents + item.taxCents;
        return sum;
    }
    qint64 totalCents() const { return subtotalCents() + adjustmentCents; }
    qint64 paidCents() const {
        qint64 sum = 0;
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
    qint64 salesCents = 0;
    qint64 salesTaxCents = 0;
    qint64 creditCents = 0;
    qint64 creditTaxCents = 0;
    qint64 discountCents = 0;
    qint64 surchargeCents = 0;
};

struct Reduction {
    int number = 0;
    QDateTime when;
    int lastDocument = 0;
    DayTotals totals;
};

struct FiscalMemory {
    QString serial = QStringLiteral("BE0908ZZ12345");
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
    QString lastCall;
};
