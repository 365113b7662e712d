// The Qt-free Windows-1252 conversion both ways.
#include "core/Cp1252.h"

#include <QTest>

using namespace robot;

class TestCp1252 : public QObject {
    Q_OBJECT

private slots:
    // Every byte comes back as itself, except the five the code page leaves undefined, which
    // no text can carry.
    void everyByteComesBack() {
        for (int b = 1; b < 256; ++b) {
            const std::string byte(1, char(b));
            const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
            QCOMPARE(robot::cp1252::fromUtf8(robot::cp1252::toUtf8(byte)), undefined ? "?" : byte);
        }
    }

    void decodes() {
        QCOMPARE(robot::cp1252::toUtf8("\x80\x8A\x92\x9F \xA0\xD1\xFF\x81"),
                 std::string("€Š’Ÿ \u00A0Ñÿ\xC2\x81"));
    }

    void encodesWhatItCanAndMarksTheRest_data() {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QByteArray>("ansi");
        QTest::newRow("plain") << QByteArray("RIF: J-1") << QByteArray("RIF: J-1");
        QTest::newRow("accents, euro") << QByteArray("Piña 5€")
                                       << QByteArray("Pi\xF1"
                                                     "a 5\x80");
        QTest::newRow("narrow no-break space") << QByteArray("1\u202F000")
                                               << QByteArray("1\xA0"
                                                             "000");
        QTest::newRow("beyond the BMP: one mark")
            << QByteArray("a\U0001F600b") << QByteArray("a?b");
        QTest::newRow("C1 control") << QByteArray("\xC2\x81") << QByteArray("?");
        QTest::newRow("stray continuation") << QByteArray("a\x80z") << QByteArray("a?z");
        QTest::newRow("cut sequence") << QByteArray("a\xE2\x82") << QByteArray("a??");
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << QByteArray("??");
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << QByteArray("???");
    }
    void encodesWhatItCanAndMarksTheRest() {
        QFETCH(QByteArray, utf8);
        QFETCH(QByteArray, ansi);
        QCOMPARE(QByteArray::fromStdString(robot::cp1252::fromUtf8(utf8.toStdString())), ansi);
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "test_cp1252.moc"
