#include "documents/TextFormat.h"

#include <QTest>

class TestTextFormat : public QObject {
    Q_OBJECT
private slots:
    void limpioCadenaReplacesTheTwelveLettersOnly() {
        QString text = QStringLiteral("Año Ñandú ÉXITO");
        QCOMPARE(LimpioCadena(text), QStringLiteral("Ano Nandu EXITO"));
        QCOMPARE(text, QStringLiteral("Ano Nandu EXITO"));

        QString all = QStringLiteral("ÑñÁáÉéÍíÓóÚú");
        QCOMPARE(LimpioCadena(all), QStringLiteral("NnAaEeIiOoUu"));

        QString edges = QStringLiteral("ótimo á");
        QCOMPARE(LimpioCadena(edges), QStringLiteral("otimo a"));

        // Letters outside the table, punctuation and controls stay as they are.
        QString others = QStringLiteral("pingüino Ü à ¿¡\r\n\t€");
        const QString before = others;
        QCOMPARE(LimpioCadena(others), before);

        QString empty;
        QCOMPARE(LimpioCadena(empty), QString());
    }

    void cifrasDigitsWidthsAndSign() {
        double amount = 1234.5;
        QCOMPARE(Cifras(amount, 10, 2), QStringLiteral("0000123450"));
        amount = 0.125;
        QCOMPARE(Cifras(amount, 8, 3), QStringLiteral("00000125"));

        amount = -7.1;
        QCOMPARE(Cifras(amount, 4, 2), QStringLiteral("0710"));
        QCOMPARE(amount, 7.1);

        // Longer than the width: returned whole, never cut.
        amount = 12345.678;
        QCOMPARE(Cifras(amount, 4, 2), QStringLiteral("1234568"));
        amount = 0;
        QCOMPARE(Cifras(amount, 0, 2), QStringLiteral("000"));
        amount = 0;
        QCOMPARE(Cifras(amount, 2, 2), QStringLiteral("000"));

        // Decimals other than 2 or 3 give only the padding.
        amount = 5;
        QCOMPARE(Cifras(amount, 3, 0), QStringLiteral("000"));
        amount = 5;
        QCOMPARE(Cifras(amount, 0, 4), QString());
    }

    void cifrasRoundsBeforeTakingTheIntegerPart() {
        // 0.29 * 100 is 28.999999999999996: the tax-rate code must read 2900, not 2800.
        double rate = 0.29 * 100;
        QCOMPARE(Cifras(rate, 2, 2), QStringLiteral("2900"));
        double rates[] = {0.12 * 100, 0.08 * 100, 0.125 * 100, 0.07 * 100, 0.57 * 100};
        const QStringList codes = {"1200", "0800", "1250", "0700", "5700"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(Cifras(rates[i], 4, 2), codes[i]);

        // Rounding that carries into the integer part.
        double carry = 9.999;
        QCOMPARE(Cifras(carry, 2, 2), QStringLiteral("1000"));
        carry = 99.9996;
        QCOMPARE(Cifras(carry, 0, 3), QStringLiteral("100000"));
        // Ties go away from zero, as the amount is written.
        double tie = 1.005;
        QCOMPARE(Cifras(tie, 0, 2), QStringLiteral("101"));
        tie = -2.0005;
        QCOMPARE(Cifras(tie, 0, 3), QStringLiteral("2001"));
        double below = 1.004999;
        QCOMPARE(Cifras(below, 0, 2), QStringLiteral("100"));
        double large = 123456789012.34;
        QCOMPARE(Cifras(large, 0, 2), QStringLiteral("12345678901234"));
    }

    void decoroRif() {
        QCOMPARE(Decoro_RIF(QStringLiteral("J123456789")), QStringLiteral("J-12345678-9"));
        QCOMPARE(Decoro_RIF(QString()), QStringLiteral("--"));
        QCOMPARE(Decoro_RIF(QStringLiteral("J1234")), QStringLiteral("J-1234-"));
        QCOMPARE(Decoro_RIF(QStringLiteral("J12345678")), QStringLiteral("J-12345678-"));
        // Dashes already there count as characters: two more go in, the tail is dropped.
        QCOMPARE(Decoro_RIF(QStringLiteral("J-1234567-8")), QStringLiteral("J--1234567--"));
        QCOMPARE(Decoro_RIF(QStringLiteral("V1234567890XYZ")), QStringLiteral("V-12345678-9"));
    }

    void formatAmountUnderVenezuelanLocale() {
        const QLocale ve(QLocale::Spanish, QLocale::Venezuela);
        // Qt's data for es_VE: "." groups, "," marks decimals.
        QCOMPARE(ve.groupSeparator(), QStringLiteral("."));
        QCOMPARE(ve.decimalPoint(), QStringLiteral(","));
        QCOMPARE(formatAmount(0, ve), QStringLiteral("0,00"));
        QCOMPARE(formatAmount(10, ve), QStringLiteral("10,00"));
        QCOMPARE(formatAmount(999.995, ve), QStringLiteral("1.000,00"));
        QCOMPARE(formatAmount(1234567.891, ve), QStringLiteral("1.234.567,89"));
        QCOMPARE(formatAmount(99999999, ve), QStringLiteral("99.999.999,00"));
        QCOMPARE(formatAmount(-1234.5, ve), QStringLiteral("-1.234,50"));
    }

    void formatAmountWithPointDecimals() {
        for (const QLocale &locale :
             {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates)}) {
            QCOMPARE(formatAmount(10, locale), QStringLiteral("10.00"));
            QCOMPARE(formatAmount(25, locale), QStringLiteral("25.00"));
            QCOMPARE(formatAmount(0.5, locale), QStringLiteral("0.50"));
            QCOMPARE(formatAmount(123.456, locale), QStringLiteral("123.46"));
            QCOMPARE(formatAmount(1000, locale), QStringLiteral("1,000.00"));
            QCOMPARE(formatAmount(50000001, locale), QStringLiteral("50,000,001.00"));
            QCOMPARE(formatAmount(150000000.0 - 99999999.0, locale),
                     QStringLiteral("50,000,001.00"));
            QCOMPARE(formatAmount(-0.5, locale), QStringLiteral("-0.50"));
            QCOMPARE(formatAmount(1.005, locale), QStringLiteral("1.01"));
            // Rounds to zero: no sign left on it.
            QCOMPARE(formatAmount(-0.001, locale), QStringLiteral("0.00"));
        }
    }

    void plainNumbersAndPadding() {
        const QLocale ve(QLocale::Spanish, QLocale::Venezuela);
        QCOMPARE(formatPlainNumber(1, QLocale::c()), QStringLiteral("1"));
        QCOMPARE(formatPlainNumber(2.5, QLocale::c()), QStringLiteral("2.5"));
        QCOMPARE(formatPlainNumber(12.75, ve), QStringLiteral("12,75"));
        QCOMPARE(formatPlainNumber(1234567, ve), QStringLiteral("1234567"));
        QCOMPARE(formatPlainNumber(-3.25, QLocale::c()), QStringLiteral("-3.25"));

        QCOMPARE(zeroPad(5, 2), QStringLiteral("05"));
        QCOMPARE(zeroPad(1200, 4), QStringLiteral("1200"));
        QCOMPARE(zeroPad(800, 4), QStringLiteral("0800"));
        QCOMPARE(zeroPad(12345, 4), QStringLiteral("12345"));
        QCOMPARE(zeroPad(0, 0), QStringLiteral("0"));
        QCOMPARE(zeroPad(-5, 4), QStringLiteral("-005"));
    }
};

QTEST_GUILESS_MAIN(TestTextFormat)
#include "test_text_format.moc"
