#include "Arguments.h"

#include <cmath>

namespace {

bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

bool allDigits(const std::string &text) {
    for (const char ch : text)
        if (!isDigit(ch))
            return false;
    return !text.empty();
}

// Separators a number may carry whatever the workstation's locale, as Windows-1252 bytes:
// no-break space (A0), right quote (92, Swiss grouping); the station's encoder turns
// characters Windows-1252 lacks (such as a narrow no-break space) into '?'.
bool isSeparator(char ch) {
    return ch == '.' || ch == ',' || ch == ' ' || ch == '\'' || ch == '?' || ch == '\xA0' ||
           ch == '\x92';
}

// At most 15 digits: the value stays exact in a double and far from overflowing.
std::optional<std::int64_t> number(const std::string &digits) {
    if (digits.empty() || digits.size() > 15 || !allDigits(digits))
        return std::nullopt;
    return std::stoll(digits);
}

// Digits and separators only, at least one digit; the digits alone.
std::optional<std::int64_t> digitsOf(const std::string &text) {
    std::string digits;
    for (const char ch : text) {
        if (isDigit(ch))
            digits += ch;
        else if (!isSeparator(ch))
            return std::nullopt;
    }
    return number(digits);
}

// "1234" or "1,234" (groups of three after the first, one separator throughout, not the
// decimal mark); the digits alone.
std::optional<std::int64_t> wholePart(const std::string &text, char point) {
    if (allDigits(text))
        return number(text);
    const std::size_t first = text.size() % 4;
    if (first == 0 || text.size() < 5)
        return std::nullopt;
    const char group = text[first];
    if (group == point || !isSeparator(group))
        return std::nullopt;
    std::string digits = text.substr(0, first);
    for (std::size_t at = first; at < text.size(); at += 4) {
        const std::string three = text.substr(at + 1, 3);
        if (text[at] != group || !allDigits(three))
            return std::nullopt;
        digits += three;
    }
    return allDigits(digits.substr(0, first)) ? number(digits) : std::nullopt;
}

} // namespace

namespace Arguments {

bool isTaxCode(const std::string &text) {
    return text == "FF" || text == "II" || (text.size() == 4 && allDigits(text));
}

int taxRate(const std::string &code) {
    return allDigits(code) ? std::stoi(code) : 0;
}

std::optional<double> quantity(const std::string &type, const std::string &text) {
    double value = 0;
    const std::size_t n = text.size();
    if (type == "F") {
        // The two decimals must be there: without them the digit count would change the value.
        if (n < 4 || !isSeparator(text[n - 3]) || !isDigit(text[n - 2]) || !isDigit(text[n - 1]))
            return std::nullopt;
        const auto digits = digitsOf(text);
        if (!digits)
            return std::nullopt;
        value = double(*digits) / 1000.0;
    } else if (type == "I") {
        // Blanks around the number are allowed, as Qt's reading of numbers allows them.
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        const std::string plain =
            first == std::string::npos
                ? ""
                : text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
        const std::size_t point = plain.find_first_of(".,");
        const auto whole = number(plain.substr(0, point));
        const std::string fraction = point == std::string::npos ? "0" : plain.substr(point + 1);
        if (!whole || !allDigits(fraction) || fraction.size() > 15)
            return std::nullopt;
        // Not strtod: it follows the C library's locale, which the host process may have set.
        value =
            double(*whole) + double(std::stoll(fraction)) / std::pow(10.0, double(fraction.size()));
    } else {
        return std::nullopt;
    }
    if (!std::isfinite(value) || value <= 0 || value > 1e9)
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> amount(const std::string &text, int decimals) {
    const std::size_t d = std::size_t(decimals);
    if (decimals < 1 || text.size() < d + 2)
        return std::nullopt;
    const std::size_t pointAt = text.size() - d - 1;
    const char point = text[pointAt];
    const auto fraction = number(text.substr(pointAt + 1));
    const auto whole = wholePart(text.substr(0, pointAt), point);
    if ((point != '.' && point != ',') || !fraction || !whole)
        return std::nullopt;
    return *whole * static_cast<std::int64_t>(std::pow(10, decimals)) + *fraction;
}

std::optional<std::int64_t> impliedCents(const std::string &text) {
    if (text.empty())
        return 0;
    return digitsOf(text);
}

std::optional<int> twoDigits(const std::string &text) {
    if (text.size() != 2 || !allDigits(text))
        return std::nullopt;
    return std::stoi(text);
}

} // namespace Arguments
