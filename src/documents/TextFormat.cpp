#include "documents/TextFormat.h"

#include <algorithm>
#include <cmath>

namespace robot {

namespace {

// The digits of |value| rounded to `decimals` places. Rounding works on the shortest decimal
// text of the double, so 1.005 rounds up as written and 0.29 * 100 (28.999999999999996)
// becomes 29.00 rather than having its integer part truncated to 28.
struct RoundedDigits {
    QString integer;  // at least "0", no leading zeros
    QString fraction; // exactly `decimals` digits
    bool isZero() const {
        return integer == QLatin1String("0") && fraction.count(QLatin1Char('0')) == fraction.size();
    }
};

RoundedDigits roundDigits(double value, int decimals) {
    if (!std::isfinite(value))
        value = 0;
    const QString text = QString::number(std::fabs(value), 'f', QLocale::FloatingPointShortest);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    QString integer = point < 0 ? text : text.left(point);
    QString fraction = point < 0 ? QString() : text.mid(point + 1);

    bool carry = fraction.size() > decimals && fraction.at(decimals) >= QLatin1Char('5');
    fraction = fraction.left(decimals).leftJustified(decimals, QLatin1Char('0'));
    QString digits = integer + fraction;
    for (qsizetype i = digits.size() - 1; carry && i >= 0; --i) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            carry = false;
        }
    }
    if (carry)
        digits.prepend(QLatin1Char('1'));

    RoundedDigits out;
    out.integer = digits.left(digits.size() - decimals);
    out.fraction = digits.right(decimals);
    while (out.integer.size() > 1 && out.integer.startsWith(QLatin1Char('0')))
        out.integer.remove(0, 1);
    if (out.integer.isEmpty())
        out.integer = QStringLiteral("0");
    return out;
}

} // namespace

QString LimpioCadena(QString &Cadenita) {
    static const char16_t kPairs[][2] = {
        {u'Ñ', u'N'}, {u'ñ', u'n'}, {u'Á', u'A'}, {u'á', u'a'}, {u'É', u'E'}, {u'é', u'e'},
        {u'Í', u'I'}, {u'í', u'i'}, {u'Ó', u'O'}, {u'ó', u'o'}, {u'Ú', u'U'}, {u'ú', u'u'},
    };
    for (const auto &pair : kPairs)
        Cadenita.replace(QChar(pair[0]), QChar(pair[1]), Qt::CaseSensitive);
    return Cadenita;
}

QString blankControls(QString text) {
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    return text;
}

QString Cifras(double &Monto, qint32 Largo, qint32 Decimales) {
    if (Monto < 0)
        Monto = Monto * -1;
    QString result;
    if (Decimales == 2 || Decimales == 3) {
        const RoundedDigits digits = roundDigits(Monto, Decimales);
        result = digits.integer + digits.fraction;
    }
    if (result.size() < Largo)
        result.prepend(QString(Largo - result.size(), QLatin1Char('0')));
    return result;
}

QString Decoro_RIF(const QString &Cadenita) {
    return Cadenita.mid(0, 1) + QLatin1Char('-') + Cadenita.mid(1, 8) + QLatin1Char('-') +
           Cadenita.mid(9, 1);
}

QString formatAmount(double value, const QLocale &locale) {
    const RoundedDigits digits = roundDigits(value, 2);
    // Built by hand: QLocale::c() omits group separators by default, "#,##0.00" never does.
    QString grouped;
    const qsizetype n = digits.integer.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += locale.groupSeparator();
        grouped += digits.integer.at(i);
    }
    const bool negative = value < 0 && !digits.isZero();
    return (negative ? QStringLiteral("-") : QString()) + grouped + locale.decimalPoint() +
           digits.fraction;
}

QString formatPlainNumber(double value, const QLocale &locale) {
    if (!std::isfinite(value))
        value = 0;
    // As the system's own conversion: at most 15 significant digits, so 0.1 + 0.2 reads 0.3,
    // then no trailing zeros.
    const int integerDigits = value == 0 ? 1 : int(std::floor(std::log10(std::fabs(value)))) + 1;
    QString text = QString::number(value, 'f', std::clamp(15 - integerDigits, 0, 15));
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QStringLiteral("-0"))
        text = QStringLiteral("0");
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

QString zeroPad(qint64 value, int width) {
    // Through the unsigned magnitude so that the lowest qint64 has digits too.
    const quint64 magnitude = value < 0 ? 0 - static_cast<quint64>(value) : quint64(value);
    QString digits = QString::number(magnitude);
    const int sign = value < 0 ? 1 : 0;
    if (digits.size() + sign < width)
        digits.prepend(QString(width - sign - digits.size(), QLatin1Char('0')));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

} // namespace robot
