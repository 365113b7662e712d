#include "documents/ItemLines.h"
#include "documents/TextFormat.h"
#include "printer/Ansi.h"

#include <QTest>
#include <cmath>

using namespace robot;

class TestTextFormat : public QObject {
    Q_OBJECT
private slots:
    void limpioCadenaReplacesTheTwelveLettersOnly() {
        QString text = QStringLiteral("ótimo ÑñÁáÉéÍíÓóÚú pingüino Ü à ¿¡\r\n\t€ á");
        const QString clean = QStringLiteral("otimo NnAaEeIiOoUu pingüino Ü à ¿¡\r\n\t€ a");
        QCOMPARE(LimpioCadena(text), clean);
        QCOMPARE(text, clean);
    }

    void cifras_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("digits");
        QTest::newRow("padded") << 1234.5 << 10 << 2 << "0000123450";
        QTest::newRow("three decimals") << 0.125 << 8 << 3 << "00000125";
        QTest::newRow("negative") << -7.1 << 4 << 2 << "0710";
        QTest::newRow("wider than the width") << 12345.678 << 4 << 2 << "1234568";
        QTest::newRow("zero") << 0.0 << 0 << 2 << "000";
        QTest::newRow("other decimals") << 5.0 << 3 << 0 << "000";
        // 0.29 * 100 is 28.999999999999996: the tax-rate code must read 2900.
        QTest::newRow("0.29*100") << 0.29 * 100 << 2 << 2 << "2900";
        QTest::newRow("0.57*100") << 0.57 * 100 << 4 << 2 << "5700";
        QTest::newRow("carry") << 99.9996 << 0 << 3 << "100000";
        QTest::newRow("tie") << 1.005 << 0 << 2 << "101";
        QTest::newRow("negative tie") << -2.0005 << 0 << 3 << "2001";
        QTest::newRow("below the tie") << 1.004999 << 0 << 2 << "100";
        QTest::newRow("large") << 123456789012.34 << 0 << 2 << "12345678901234";
    }

    void cifras() {
        QFETCH(double, amount);
        QFETCH(int, width);
        QFETCH(int, decimals);
        double monto = amount;
        QTEST(Cifras(monto, width, decimals), "digits");
        QCOMPARE(monto, std::abs(amount));
    }

    void decoroRif() {
        QCOMPARE(Decoro_RIF(QStringLiteral("J123456789")), QStringLiteral("J-12345678-9"));
        QCOMPARE(Decoro_RIF(QString()), QStringLiteral("--"));
        QCOMPARE(Decoro_RIF(QStringLiteral("J1234")), QStringLiteral("J-1234-"));
        QCOMPARE(Decoro_RIF(QStringLiteral("J-1234567-8")), QStringLiteral("J--1234567--"));
        QCOMPARE(Decoro_RIF(QStringLiteral("V1234567890XYZ")), QStringLiteral("V-12345678-9"));
    }

    void formatAmount_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("venezuela");
        QTest::addColumn<QString>("point");
        // clang-format off
        QTest::newRow("zero") << 0.0 << "0,00" << "0.00";
        QTest::newRow("rounded") << 123.456 << "123,46" << "123.46";
        QTest::newRow("tie") << 1.005 << "1,01" << "1.01";
        QTest::newRow("carry into a group") << 999.995 << "1.000,00" << "1,000.00";
        QTest::newRow("millions") << 1234567.891 << "1.234.567,89" << "1,234,567.89";
        QTest::newRow("eight digits") << 50000001.0 << "50.000.001,00" << "50,000,001.00";
        QTest::newRow("negative") << -1234.5 << "-1.234,50" << "-1,234.50";
        QTest::newRow("negative zero") << -0.001 << "0,00" << "0.00";
        // clang-format on
    }

    void formatAmount() {
        QFETCH(double, value);
        QTEST(::formatAmount(value, QLocale(QLocale::Spanish, QLocale::Venezuela)), "venezuela");
        QTEST(::formatAmount(value, QLocale::c()), "point");
        QTEST(::formatAmount(value, QLocale(QLocale::English, QLocale::UnitedStates)), "point");
    }

    // A locale grouping with a narrow no-break space must not send '?' to the printer.
    void separatorsTheCodePageLacks() {
        QLocale grouped(QLocale::French, QLocale::France);
        const QByteArray sent = Ansi::encode(::formatAmount(1234.5, grouped));
        QVERIFY2(!sent.contains('?'), sent.constData());
        QCOMPARE(Ansi::encode(QStringLiteral("1\u202F234")), QByteArray("1\xA0"
                                                                        "234"));
        QCOMPARE(Ansi::encode(QStringLiteral("\u20AC\u4E2D")), QByteArray("\x80?"));
    }

    void plainNumbersAndPadding() {
        const QLocale ve(QLocale::Spanish, QLocale::Venezuela);
        QCOMPARE(formatPlainNumber(1, QLocale::c()), QStringLiteral("1"));
        QCOMPARE(formatPlainNumber(-3.25, QLocale::c()), QStringLiteral("-3.25"));
        QCOMPARE(formatPlainNumber(12.75, ve), QStringLiteral("12,75"));
        QCOMPARE(formatPlainNumber(1234567, ve), QStringLiteral("1234567"));
        QCOMPARE(formatPlainNumber(0.1 + 0.2, QLocale::c()), QStringLiteral("0.3"));
        QCOMPARE(formatPlainNumber(1.1 * 3, QLocale::c()), QStringLiteral("3.3"));
        QCOMPARE(formatPlainNumber(0.0000001, QLocale::c()), QStringLiteral("0.0000001"));
        QCOMPARE(zeroPad(800, 4), QStringLiteral("0800"));
        QCOMPARE(zeroPad(12345, 4), QStringLiteral("12345"));
    }

    // Item prices at and above the printer's limit go in pieces; beyond ten pieces, not at all.
    void splitPrice_data() {
        QTest::addColumn<double>("price");
        QTest::addColumn<QList<double>>("pieces");
        QTest::addColumn<bool>("printable");
        QTest::newRow("below") << 99999998.99 << QList<double>{99999998.99} << true;
        QTest::newRow("negative") << -5.0 << QList<double>{-5.0} << true;
        QTest::newRow("at the limit") << 99999999.0 << QList<double>{99999999.0} << true;
        QTest::newRow("two") << 150000000.0 << QList<double>{99999999.0, 50000001.0} << true;
        QTest::newRow("three") << 250000000.0 << QList<double>{99999999.0, 99999999.0, 50000002.0}
                               << true;
        QTest::newRow("ten pieces") << 999999990.0 << QList<double>(10, 99999999.0) << true;
        QTest::newRow("eleven pieces") << 999999991.0 << QList<double>{} << false;
        QTest::newRow("not a number") << std::nan("") << QList<double>{} << false;
    }
    void splitPrice() {
        QFETCH(double, price);
        QFETCH(QList<double>, pieces);
        QFETCH(bool, printable);
        const auto split = ::splitPrice(price);
        QCOMPARE(split.has_value(), printable);
        if (split)
            QCOMPARE(*split, pieces);
    }
};

QTEST_GUILESS_MAIN(TestTextFormat)
#include "test_text_format.moc"
