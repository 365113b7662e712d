#pragma once

#include <QString>
#include <optional>

// Reading the texts the station sends. Numbers come in the workstation's format (the process
// default QLocale), as the station formats them.
namespace Arguments {

// "FF" (exempt), "II" (exempt, lump sum) or four digits: the rate in hundredths of a percent.
bool isTaxCode(const QString &text);
// Rate in hundredths of a percent; 0 for the exempt codes.
int taxRate(const QString &code);

// Quantity of an item. Type "F": ten times the quantity with two decimals, any grouping
// ("10.00" is 1). Type "I": a plain number in the workstation's format. Must be above 0.
std::optional<double> quantity(const QString &type, const QString &text);

// "#,##0.00" with exactly the given number of decimals, grouping optional, never negative.
// The result counts units of the last decimal (cents for two decimals).
std::optional<qint64> amount(const QString &text, int decimals);

// Digits with two implied decimals and any separators ("0,00", "0000", "5.00" is 500);
// empty is 0.
std::optional<qint64> impliedCents(const QString &text);

// Exactly two digits.
std::optional<int> twoDigits(const QString &text);

} // namespace Arguments
