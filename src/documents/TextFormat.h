#pragma once

#include <QLocale>
#include <QString>

namespace robot {

// Texts and amounts prepared for the fiscal printer and the window. All pure: no state, no
// messages.

// Replaces the Spanish accented letters (and Ñ/ñ) by their plain letters, in place; returns the
// cleaned text. Any other character is left as it is.
QString LimpioCadena(QString &Cadenita);

// A text from the database made safe for the printer: every control character (C0 and DEL)
// becomes a blank, one for one, so none can feed a line or forge one on a fiscal document and
// the cuts made afterwards fall where they would.
QString blankControls(QString text);

// The amount as digits without separators: integer digits followed by `Decimales` (2 or 3)
// decimal digits, after rounding to those decimals; zero-padded in front up to `Largo`, never
// cut. A negative amount is made positive in the caller's variable. Any other `Decimales`
// gives only the padding.
QString Cifras(double &Monto, qint32 Largo, qint32 Decimales);

// A ten-character RIF written as X-XXXXXXXX-X; missing positions give nothing.
QString Decoro_RIF(const QString &Cadenita);

// "#,##0.00" under `locale`: digits grouped by threes, at least one integer digit, exactly two
// decimals, rounded half away from zero.
QString formatAmount(double value, const QLocale &locale = QLocale());

// The shortest decimal form of `value` (1, 2.5, 12.75) with the locale's decimal point and no
// grouping.
QString formatPlainNumber(double value, const QLocale &locale = QLocale());

// `value` in decimal, zero-padded in front to `width` ("00", "0000").
QString zeroPad(qint64 value, int width);

} // namespace robot
