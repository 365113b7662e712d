#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Reading the texts the station sends (Windows-1252). Numbers come in the workstation's
// format, which a library without Qt cannot see: a decimal point or a decimal comma is
// accepted, whichever the text itself shows.
namespace Arguments {

// "FF" (exempt), "II" (exempt, lump sum) or four digits: the rate in hundredths of a percent.
bool isTaxCode(const std::string &text);
// Rate in hundredths of a percent; 0 for the exempt codes.
int taxRate(const std::string &code);

// Quantity of an item. Type "F": ten times the quantity with two decimals, any grouping
// ("10.00" is 1). Type "I": digits with an optional decimal part, no grouping. Above 0.
std::optional<double> quantity(const std::string &type, const std::string &text);

// "#,##0.00" or "#.##0,00" with exactly the given number of decimals, grouping optional,
// never negative. The result counts units of the last decimal (cents for two decimals).
std::optional<std::int64_t> amount(const std::string &text, int decimals);

// Digits with two implied decimals and any separators ("0,00", "0000", "5.00" is 500);
// empty is 0.
std::optional<std::int64_t> impliedCents(const std::string &text);

// Exactly two digits.
std::optional<int> twoDigits(const std::string &text);

} // namespace Arguments
