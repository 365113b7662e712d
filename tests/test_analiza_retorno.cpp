#include "printer/AnalizaRetorno.h"
#include "support/RecordingMessages.h"

#include <QTest>

namespace {

// Answers RetornoImpresora with set status values; nothing else is used by the analysis.
class StatusPrinter : public FiscalPrinter {
public:
    short ack = 6, st1 = 0, st2 = 0;
    int statusReads = 0;
    bool unavailable = false;

    short RetornoImpresora(short &a, short &s1, short &s2) override {
        ++statusReads;
        if (unavailable)
            throw PrinterUnavailable(QStringLiteral("sin librería"));
        a = ack;
        s1 = st1;
        s2 = st2;
        return 1;
    }

    short AbreComprobanteDeVentaEx(const QString &, const QString &, const QString &) override {
        return unused();
    }
    short VendeArticulo(const QString &, const QString &, const QString &, const QString &,
                        const QString &, short, const QString &, const QString &,
                        const QString &) override {
        return unused();
    }
    short IniciaCierreCupon(const QString &, const QString &, const QString &) override {
        return unused();
    }
    short EfectuaFormaPago(const QString &, const QString &) override { return unused(); }
    short FinalizarCierreCupon(const QString &) override { return unused(); }
    short NumeroCupon(QString &) override { return unused(); }
    short NumeroReducciones(QString &) override { return unused(); }
    short NumeroIntervenciones(QString &) override { return unused(); }
    short AccionaGaveta() override { return unused(); }
    short AbreNotaDeCredito(const std::array<QString, 10> &) override { return unused(); }
    short CierraCuponReducido(const QString &, const QString &) override { return unused(); }
    short AnulaCupon() override { return unused(); }
    short LecturaX() override { return unused(); }
    short ReduccionZ(const QString &, const QString &) override { return unused(); }
    short NumeroSerie(QString &) override { return unused(); }
    short DatosUltimaReduccion(QString &) override { return unused(); }
    short ContadoresTotalizadoresNoFiscales(QString &) override { return unused(); }
    short NumeroSustituicionesPropietario(QString &) override { return unused(); }
    short LeerArchivoRetorno(QString &) override { return unused(); }

    int otherCalls = 0;

private:
    short unused() {
        ++otherCalls;
        return 1;
    }
};

const QString kTitle = QStringLiteral("Reducción Z");

} // namespace

class TestAnalizaRetorno : public QObject {
    Q_OBJECT
private slots:
    void communicationFailureDoesNotReadStatus() {
        StatusPrinter printer;
        RecordingMessages messages;
        QVERIFY(!AnalizaRetorno(printer, messages, "extra", "", 0, kTitle));
        QCOMPARE(printer.statusReads, 0);
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(messages.messages[0].text,
                 QStringLiteral("Error de comunicación con la impresora."));
        QCOMPARE(messages.messages[0].icon, MessageIcon::Critical);
        QCOMPARE(messages.messages[0].caption, kTitle);
    }

    void otherReturnCodesAreFailures() {
        for (short code : {short(-2), short(-1), short(2), short(-28), short(32767)}) {
            StatusPrinter printer;
            RecordingMessages messages;
            QVERIFY(!AnalizaRetorno(printer, messages, "", "", code, kTitle));
            QCOMPARE(printer.statusReads, 0);
            QCOMPARE(messages.messages.size(), 1);
            QCOMPARE(messages.messages[0].text,
                     QStringLiteral("La impresora no ejecutó el comando (código %1).").arg(code));
            QCOMPARE(messages.messages[0].icon, MessageIcon::Critical);
            QCOMPARE(messages.messages[0].caption, kTitle);
        }
    }

    void successShowsOnlyTheCallersMessage() {
        for (short code : {short(1), short(-27)}) {
            StatusPrinter printer;
            RecordingMessages messages;
            QVERIFY(AnalizaRetorno(printer, messages, "", "ignorado", code, kTitle));
            QCOMPARE(printer.statusReads, 1);
            QVERIFY(messages.messages.isEmpty());

            QVERIFY(AnalizaRetorno(printer, messages, "Cupón ", "emitido", code, kTitle));
            QCOMPARE(messages.messages.size(), 1);
            QCOMPARE(messages.messages[0].text, QStringLiteral("Cupón emitido"));
            QCOMPARE(messages.messages[0].icon, MessageIcon::Information);
            QCOMPARE(messages.messages[0].caption, kTitle);
        }
    }

    void ack21ComesBeforeTheBits() {
        StatusPrinter printer;
        printer.ack = 21;
        printer.st1 = 128;
        printer.st2 = 1;
        RecordingMessages messages;
        QVERIFY(!AnalizaRetorno(printer, messages, "no mostrado", "", -27, kTitle));
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(messages.messages[0].text,
                 QStringLiteral("Status de la Impresora: 21\r\nComando no ejecutado"));
        QCOMPARE(messages.messages[0].icon, MessageIcon::Information);
        QCOMPARE(messages.messages[0].caption, QString());

        // With no bits set it is still a failure.
        printer.st1 = printer.st2 = 0;
        QVERIFY(!AnalizaRetorno(printer, messages, "", "", 1, kTitle));
        QCOMPARE(messages.messages.size(), 2);
    }

    void statusBitsBecomeLines() {
        StatusPrinter printer;
        printer.st1 = 66;
        RecordingMessages messages;
        QVERIFY(!AnalizaRetorno(printer, messages, "", "", 1, kTitle));
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(
            messages.messages[0].text,
            QStringLiteral("Status de la Impresora: 6,66,0\r\nPoco Papel\rCupón fiscal abierto\r"));
        QCOMPARE(messages.messages[0].icon, MessageIcon::Information);
        QCOMPARE(messages.messages[0].caption, kTitle);

        // ST1 before ST2, each from 128 down; the status text shows the values as read.
        printer.ack = 0;
        printer.st1 = 128;
        printer.st2 = 129;
        QVERIFY(!AnalizaRetorno(printer, messages, "", "", -27, kTitle));
        QCOMPARE(messages.messages[1].text,
                 QStringLiteral("Status de la Impresora: 0,128,129\r\nFin de Papel\r"
                                "Tipo de Parámetro de comando inválido\rComando no ejecutado\r"));

        // The caller's message follows the list; MensajeAdicional is not part of an error.
        printer.st1 = 0;
        printer.st2 = 64;
        QVERIFY(!AnalizaRetorno(printer, messages, "Etapa 2", "no", 1, kTitle));
        QCOMPARE(
            messages.messages[2].text,
            QStringLiteral("Status de la Impresora: 0,0,64\r\nMemória fiscal llena\r\r\nEtapa 2"));
    }

    void everyBitHasItsText() {
        StatusPrinter printer;
        printer.st1 = 255;
        printer.st2 = 255;
        RecordingMessages messages;
        QVERIFY(!AnalizaRetorno(printer, messages, "", "", 1, kTitle));
        const QStringList lines =
            messages.messages[0].text.split(QStringLiteral("\r\n"))[1].split(QLatin1Char('\r'));
        const QStringList expected = {
            "Fin de Papel",
            "Poco Papel",
            "Error en el reloj",
            "Impresora en error",
            "Primer dato del comando no fue Esc",
            "Comando inexistente",
            "Cupón fiscal abierto",
            "Número de parámetros inválidos en el comando",
            "Tipo de Parámetro de comando inválido",
            "Memória fiscal llena",
            "Error en la CMOS",
            "Alicuota no programada",
            "Capacidad de alicuota programables llena",
            "Cancelamiento no permitido",
            "RIF del propietario no programados",
            "Comando no ejecutado",
            "",
        };
        QCOMPARE(lines, expected);
    }

    void unavailableLibraryReachesTheCaller() {
        StatusPrinter printer;
        printer.unavailable = true;
        RecordingMessages messages;
        QVERIFY_THROWS_EXCEPTION(PrinterUnavailable,
                                 AnalizaRetorno(printer, messages, "", "", 1, kTitle));
        QVERIFY(messages.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAnalizaRetorno)
#include "test_analiza_retorno.moc"
