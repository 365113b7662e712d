#include "printer/AnalizaRetorno.h"
#include "printer/LibraryPrinter.h"
#include "support/RecordingMessages.h"

#include <QTest>

using namespace robot;

namespace {

// Answers RetornoImpresora with set values; with no library behind it, any other call throws.
class StatusPrinter : public LibraryPrinter {
public:
    StatusPrinter(short ack, short st1, short st2)
        : LibraryPrinter(QString()), ack(ack), st1(st1), st2(st2) {}
    short call(robot::fiscal::RawCall &c) override {
        if (c.entryPoint != robot::fiscal::EntryPoint::RetornoImpresora)
            return LibraryPrinter::call(c);
        ++reads;
        c.ack = ack;
        c.st1 = st1;
        c.st2 = st2;
        return 1;
    }
    short ack, st1, st2;
    int reads = 0;
};

// The result, how often the status was read, then each message as [icon|caption] text.
QString analiza(short ack, short st1, short st2, short code, const QString &mensaje = {},
                const QString &adicional = {}) {
    StatusPrinter printer(ack, st1, st2);
    RecordingMessages messages;
    const bool ok =
        AnalizaRetorno(printer, messages, mensaje, adicional, code, QStringLiteral("Reducción Z"));
    QString out = QString(ok ? "true" : "false") + " reads=" + QString::number(printer.reads);
    const char *const icons[] = {"none", "info", "critical"};
    for (const auto &m : messages.messages)
        out +=
            QStringLiteral(" [%1|%2] %3").arg(QLatin1String(icons[int(m.icon)]), m.caption, m.text);
    return out;
}

} // namespace

class TestAnalizaRetorno : public QObject {
    Q_OBJECT
private slots:
    void failedCallsDoNotReadTheStatus() {
        QCOMPARE(analiza(6, 0, 0, 0, "extra"),
                 "false reads=0 [critical|Reducción Z] Error de comunicación con la impresora.");
        for (short code : {-28, -2, -1, 2, 32767})
            QCOMPARE(analiza(6, 0, 0, code, "extra"),
                     QStringLiteral("false reads=0 [critical|Reducción Z] La impresora no ejecutó "
                                    "el comando (código %1).")
                         .arg(code));
    }

    void successShowsOnlyTheCallersMessage() {
        for (short code : {1, -27}) {
            QCOMPARE(analiza(6, 0, 0, code, "", "ignorado"), "true reads=1");
            QCOMPARE(analiza(6, 0, 0, code, "Cupón ", "emitido"),
                     "true reads=1 [info|Reducción Z] Cupón emitido");
        }
    }

    void statusBitsBecomeLines() {
        // ACK 21 wins over the bits and has the application's default caption.
        const QString ack21 = "false reads=1 [info|] Status de la Impresora: 21\r\nComando no "
                              "ejecutado";
        QCOMPARE(analiza(21, 128, 1, -27, "no mostrado"), ack21);
        QCOMPARE(analiza(21, 0, 0, 1), ack21);

        // Each weight reached is taken away before the next is compared; the caller's message
        // follows the list, MensajeAdicional is not part of an error.
        QCOMPARE(analiza(0, 0, 64, 1, "Etapa 2", "no"),
                 "false reads=1 [info|Reducción Z] Status de la Impresora: 0,0,64\r\nMemória "
                 "fiscal llena\r\r\nEtapa 2");
        // Every bit: ST1 before ST2, each from 128 down.
        QCOMPARE(analiza(6, 255, 255, 1),
                 "false reads=1 [info|Reducción Z] Status de la Impresora: 6,255,255\r\nFin de "
                 "Papel\rPoco Papel\rError en el reloj\rImpresora en error\rPrimer dato del "
                 "comando no fue Esc\rComando inexistente\rCupón fiscal abierto\rNúmero de "
                 "parámetros inválidos en el comando\rTipo de Parámetro de comando inválido\r"
                 "Memória fiscal llena\rError en la CMOS\rAlicuota no programada\rCapacidad de "
                 "alicuota programables llena\rCancelamiento no permitido\rRIF del propietario "
                 "no programados\rComando no ejecutado\r");
    }

    void unavailableLibraryReachesTheCaller() {
        LibraryPrinter missing{QString()};
        RecordingMessages messages;
        QVERIFY_THROWS_EXCEPTION(PrinterUnavailable,
                                 AnalizaRetorno(missing, messages, "", "", 1, "Reducción Z"));
        QVERIFY(messages.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAnalizaRetorno)
#include "test_analiza_retorno.moc"
