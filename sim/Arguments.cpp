#include "Arguments.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {

bool allDigits(const QString &text) {
    for (const QChar ch : text)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

// Separators a number may carry whatever the workstation's locale; the station's encoder turns
// characters Windows-1252 lacks (such as a narrow no-break space) into '?'.
bool isSeparator(QChar ch) {
    const QLocale locale;
    return ch == QLatin1Char('.') || ch == QLatin1Char(',') || ch == QLatin1Char(' ') ||
           ch == QLatin1Char('\'') || ch == QLatin1Char('?') || ch == QChar(0x00A0) ||
           ch == QChar(0x202F) || locale.groupSeparator() == ch || locale.decimalPoint() == ch;
}

// Digits and separators only, at least one digit; the digits alone.
std::optional<QString> digitsOf(const QString &text) {
    QString digits;
    for (const QChar ch : text) {
        if (ch.isDigit() && ch.unicode() < 0x80)
            digits.append(ch);
        else if (!isSeparator(ch))
            return std::nullopt;
    }
    if (digits.isEmpty() || digits.size() > 15)
        return std::nullopt;
    return digits;
}

} // namespace

namespace Arguments {

bool isTaxCode(const QString &text) {
    return text == QLatin1String("FF") || text == QLatin1String("II") ||
           (text.size() == 4 && allDigits(text));
}

int taxRate(const QString &code) {
    return allDigits(code) ? code.toInt() : 0;
}

std::optional<double> quantity(const QString &type, const QString &text) {
    double value = 0;
    if (type == QLatin1String("F")) {
        // The two decimals must be there: without them the digit count would change the value.
        const qsizetype n = text.size();
        if (n < 4 || !isSeparator(text[n - 3]) || !text[n - 2].isDigit() || !text[n - 1].isDigit())
            return std::nullopt;
        const auto digits = digitsOf(text);
        if (!digits)
            return std::nullopt;
        value = digits->toLongLong() / 1000.0;
    } else if (type == QLatin1String("I")) {
        bool ok = false;
        value = QLocale().toDouble(text, &ok);
        if (!ok)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (!std::isfinite(value) || value <= 0 || value > 1e9)
        return std::nullopt;
    return value;
}

std::optional<qint64> amount(const QString &text, int decimals) {
    const QLocale locale;
    const QString group = QRegularExpression::escape(locale.groupSeparator());
    const QString point = QRegularExpression::escape(locale.decimalPoint());
    const QRegularExpression pattern(
        QStringLiteral("^([0-9]{1,3}(?:%1[0-9]{3})+|[0-9]{1,15})%2([0-9]{%3})$")
            .arg(group, point, QString::number(decimals)));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString whole = match.captured(1).remove(locale.groupSeparator());
    if (whole.size() > 15)
        return std::nullopt;
    return whole.toLongLong() * static_cast<qint64>(std::pow(10, decimals)) +
           match.captured(2).toLongLong();
}

std::optional<qint64> impliedCents(const QString &text) {
    if (text.isEmpty())
        return 0;
    const auto digits = digitsOf(text);
    if (!digits)
        return std::nullopt;
    return digits->toLongLong();
}

std::optional<int> twoDigits(const QString &text) {
    if (text.size() != 2 || !allDigits(text))
        return std::nullopt;
    return text.toInt();
}

} // namespace Arguments
