// The operator's printer commands and information queries, clicked in the real window of a
// real station printing on the virtual printer (offscreen platform).
#include "app/window/NotificationIcon.h"
#include "app/window/frmImprimirFacturaROBOT.h"
#include "printer/LibraryPrinter.h"
#include "support/StationHarness.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

// A notification area that is always there, so the window can go to it and come back.
class FakeIcon : public NotificationIcon {
public:
    bool available() const override { return true; }
    void setVisible(bool visible) override { shown = visible; }
    bool isVisible() const override { return shown; }
    void setToolTip(const QString &tip) override { text = tip; }
    QString toolTip() const override { return text; }
    bool shown = false;
    QString text;
};

const QString kSerial = QStringLiteral("BE0908ZZ12345");

// What the library leaves in a 631-space buffer after writing `text`.
QString buffer(const QString &text) {
    return text + QString(631 - text.size(), u' ');
}

// The harness's station with its window, first activation done and the window in view.
struct WindowedStation {
    StationHarness h;
    std::unique_ptr<frmImprimirFacturaROBOT> window;

    void open() {
        if (!h.station)
            h.start();
        window =
            std::make_unique<frmImprimirFacturaROBOT>(*h.station, std::make_unique<FakeIcon>());
        window->show();
        window->firstActivation();
        window->restoreFromNotificationArea();
    }
    QPushButton *button(const QString &name) const {
        QPushButton *b = window->button(name);
        if (!b)
            qFatal("no button %s", qPrintable(name));
        return b;
    }
    void click(const char *name) const {
        QTest::mouseClick(button(QLatin1String(name)), Qt::LeftButton);
    }
    void prueba(int n) const {
        if (!window->optionsPanel()->isVisible())
            click("Command13");
        static const char *const buttons[] = {"Command14", "Command15", "Command16", "Command17",
                                              "Command18", "Command19", "Command20", "Command23"};
        click(buttons[n - 1]);
    }
    QString mostrar() const { return window->answerBox()->toPlainText(); }
    bool running() const { return h.station->robot.timerEnabled(); }
    // The buttons that HabilitaControles switches and that are visible.
    bool controlsEnabled() const {
        for (const char *name : {"Command3", "Command4", "Command6"})
            if (!button(QLatin1String(name))->isEnabled())
                return false;
        return true;
    }
};

} // namespace

class GuiCommands : public QObject {
    Q_OBJECT
private slots:
    void reportsAndDrawerReachThePaper();
    void refusalsShowThePrintersAnswer_data();
    void refusalsShowThePrintersAnswer();
    void aReportRestartsARobotTheOperatorStopped();
    void anulaCuponSaysListoOnlyWhenTheCouponWasCancelled();
    void anulaCuponAfterAFailedInvoiceLetsTheRobotGoOn();
    void queriesShowTheLibrarysAnswer();
    void doubleClickOnTheListsSendsNothing();
    void aLibraryThatCannotBeLoadedIsNamed();
};

void GuiCommands::reportsAndDrawerReachThePaper() {
    WindowedStation w;
    w.open();
    w.prueba(7);
    QCOMPARE(w.mostrar(), buffer(QStringLiteral("000000")));

    w.click("Command6");
    QCOMPARE(w.h.printer->callsTo(QStringLiteral("ReduccionZ")),
             QStringList{QStringLiteral("ReduccionZ(|)")});
    QVERIFY(w.h.paper().contains(QStringLiteral("REDUCCIÓN Z N° 0001")));
    QCOMPARE(w.h.printer->CodigoRetorno, short(1));
    w.prueba(7);
    QCOMPARE(w.mostrar(), buffer(QStringLiteral("000001")));

    w.click("Command21");
    QVERIFY(w.h.paper().contains(QStringLiteral("LECTURA X")));
    w.click("Command22");
    QVERIFY(w.h.paper().contains(QStringLiteral("GAVETA ABIERTA")));

    // Success says nothing; the robot and the buttons are back.
    QVERIFY(w.h.messages.messages.isEmpty());
    QVERIFY(w.running());
    QVERIFY(w.controlsEnabled());
}

void GuiCommands::refusalsShowThePrintersAnswer_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("notOnPaper");
    QTest::newRow("X refused") << "refuse Bematech_FI_LecturaX"
                               << "Command21"
                               << "Lectura X"
                               << "Status de la Impresora: 6,0,1\r\nComando no ejecutado\r"
                               << "LECTURA X";
    QTest::newRow("Z refused") << "refuse Bematech_FI_ReduccionZ"
                               << "Command6"
                               << "Reducción Z"
                               << "Status de la Impresora: 6,0,1\r\nComando no ejecutado\r"
                               << "REDUCCIÓN Z";
    QTest::newRow("drawer offline") << "offline"
                                    << "Command22"
                                    << "Abrir G"
                                    << "Error de comunicación con la impresora."
                                    << "GAVETA ABIERTA";
}

void GuiCommands::refusalsShowThePrintersAnswer() {
    QFETCH(QString, fault);
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(QString, notOnPaper);
    WindowedStation w;
    w.open();
    w.h.setFaults(fault);
    w.click(qPrintable(button));

    QCOMPARE(w.h.messages.texts(), QStringList{text});
    QCOMPARE(w.h.messages.messages.first().caption, caption);
    QVERIFY(!w.h.paper().contains(notOnPaper));
    QVERIFY(w.h.printer->CodigoRetorno != 1);
    QVERIFY(w.running());
    QVERIFY(w.controlsEnabled());
}

void GuiCommands::aReportRestartsARobotTheOperatorStopped() {
    WindowedStation w;
    w.open();
    QPushButton *command3 = w.button(QStringLiteral("Command3"));
    w.click("Command3");
    QCOMPARE(command3->text(), QStringLiteral("Iniciar"));
    QVERIFY(!w.running());

    w.click("Command21");
    QVERIFY(w.h.paper().contains(QStringLiteral("LECTURA X")));
    QVERIFY(w.running());
    QCOMPARE(command3->text(), QStringLiteral("Iniciar"));
    QVERIFY(command3->isEnabled());

    // The start/stop button goes by the timer: its next click stops the robot again.
    w.click("Command3");
    QVERIFY(!w.running());
    QCOMPARE(command3->text(), QStringLiteral("Iniciar"));
}

void GuiCommands::anulaCuponSaysListoOnlyWhenTheCouponWasCancelled() {
    WindowedStation w;
    w.open();
    QCOMPARE(w.h.printer->AbreComprobanteDeVentaEx(QStringLiteral("V1"), QStringLiteral("Cliente"),
                                                   QStringLiteral("Calle")),
             short(1));

    w.click("Command1");
    QVERIFY(w.h.paper().contains(QStringLiteral("DOCUMENTO N° 000001 ANULADO")));
    QCOMPARE(w.h.messages.texts(), QStringList{QStringLiteral("Listo.")});
    QCOMPARE(w.h.messages.messages.first().icon, MessageIcon::None);
    QCOMPARE(w.h.messages.messages.first().caption, QString());
    QVERIFY(w.running());

    // Nothing left to cancel: the printer's refusal, not "Listo.".
    w.h.messages.messages.clear();
    w.click("Command1");
    QCOMPARE(w.h.messages.messages.size(), 1);
    QCOMPARE(w.h.messages.messages.first().caption, QStringLiteral("Anula Cupon"));
    QCOMPARE(w.h.messages.texts().first(),
             QStringLiteral("Status de la Impresora: 6,0,4\r\nCancelamiento no permitido\r"));
    QCOMPARE(w.h.printer->CodigoRetorno, short(-27));
    QVERIFY(w.running());
    QVERIFY(w.controlsEnabled());
}

void GuiCommands::anulaCuponAfterAFailedInvoiceLetsTheRobotGoOn() {
    WindowedStation w;
    w.h.docs.addInvoice(3);
    for (int line = 1; line <= 3; ++line)
        w.h.docs.addInvoiceLine(3, line, 1, line);
    w.h.setFaults(QStringLiteral("refuse Bematech_FI_VendeArticulo 2"));
    w.open();
    w.h.runUntilIdle();
    QVERIFY(!w.running());
    QVERIFY(w.h.messages.texts().join(u'\n').contains(QStringLiteral("etapa 4")));
    QVERIFY(!w.h.paper().contains(QStringLiteral("CERRADO")));

    w.h.setFaults({});
    w.h.messages.messages.clear();
    w.click("Command1");
    QVERIFY(w.h.paper().contains(QStringLiteral("DOCUMENTO N° 000001 ANULADO")));
    QCOMPARE(w.h.messages.texts(), QStringList{QStringLiteral("Listo.")});
    QVERIFY(w.running());

    // The failed invoice heads the list still and is the one taken last: the robot skips it.
    QCOMPARE(w.h.station->robot.UltimoCodigo, 3);
    w.h.station->robot.tick();
    QCOMPARE(w.h.printer->callsTo(QStringLiteral("AbreComprobanteDeVentaEx")).size(), 1);
    QVERIFY(!w.h.paper().contains(QStringLiteral("CERRADO")));
    QVERIFY(w.running());
    QVERIFY(w.h.field(QStringLiteral("Ventas"), 3, QStringLiteral("Control")).isNull());
    QCOMPARE(w.window->invoiceList()->count(), 1);
}

void GuiCommands::queriesShowTheLibrarysAnswer() {
    WindowedStation w;
    w.open();
    // Queries leave the robot as it is, here stopped.
    w.click("Command3");

    w.prueba(4);
    w.prueba(4);
    QCOMPARE(w.mostrar(), buffer(kSerial));
    w.prueba(3);
    QVERIFY(w.mostrar().startsWith(QStringLiteral("0000,000000,000000,")));
    QCOMPARE(w.mostrar().size(), 631);
    const QString shown = w.mostrar();

    w.h.printer->CodigoRetorno = 77;
    w.prueba(2);
    QCOMPARE(w.h.printer->CodigoRetorno, short(77));
    QCOMPARE(w.h.messages.messages.size(), 1);
    QVERIFY(w.h.messages.texts().first().startsWith(
        QStringLiteral("Bematech_FI_DatosUltimaReduccion,")));
    QCOMPARE(w.h.messages.messages.first().icon, MessageIcon::None);
    QCOMPARE(w.h.messages.messages.first().caption, QString());

    w.prueba(1);
    QCOMPARE(w.h.printer->CodigoRetorno, short(1));
    QCOMPARE(w.h.messages.texts().last(), QStringLiteral("1:") + buffer(kSerial));
    QCOMPARE(w.h.messages.messages.last().icon, MessageIcon::None);

    // A printer that answers nothing leaves the blanks of the buffer.
    w.h.setFaults(QStringLiteral("refuse Bematech_FI_NumeroSerie"));
    w.prueba(1);
    QCOMPARE(w.h.messages.texts().last(), QStringLiteral("1:") + QString(631, u' '));
    QCOMPARE(w.h.printer->CodigoRetorno, short(-27));
    QCOMPARE(w.mostrar(), shown);
    w.h.setFaults({});

    for (int n = 5; n <= 8; ++n)
        w.prueba(n);
    QCOMPARE(w.mostrar(), buffer(QStringLiteral("0000")));
    QCOMPARE(w.h.printer->calls,
             (QStringList{QStringLiteral("NumeroSerie(631)"), QStringLiteral("NumeroSerie(631)"),
                          QStringLiteral("DatosUltimaReduccion(631)"),
                          QStringLiteral("LeerArchivoRetorno(631)"),
                          QStringLiteral("NumeroSerie(631)"), QStringLiteral("NumeroSerie(631)"),
                          QStringLiteral("NumeroIntervenciones(631)"),
                          QStringLiteral("ContadoresTotalizadoresNoFiscales(631)"),
                          QStringLiteral("NumeroReducciones(631)"),
                          QStringLiteral("NumeroSustituicionesPropietario(631)")}));
    QVERIFY(!w.running());
}

void GuiCommands::doubleClickOnTheListsSendsNothing() {
    WindowedStation w;
    w.h.docs.addInvoice(1);
    w.h.docs.addInvoiceLine(1, 1, 1, 10);
    w.h.docs.addCreditNote(2);
    w.h.docs.addCreditNoteLine(2, 1, 1, 10);
    w.open();
    w.click("Command3"); // no tick may print meanwhile
    for (QListWidget *list : {w.window->invoiceList(), w.window->creditNoteList()}) {
        QCOMPARE(list->count(), 1);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualItemRect(list->item(0)).center());
    }
    QVERIFY(w.h.printer->calls.isEmpty());
    QVERIFY(w.h.messages.messages.isEmpty());
}

void GuiCommands::aLibraryThatCannotBeLoadedIsNamed() {
    WindowedStation w;
    const QString path = QStringLiteral("/no/existe/libimpresora.so");
    Settings settings;
    settings.RutaBaseDatos = w.h.docs.databasePath();
    settings.Caja = 1;
    w.h.station = std::make_unique<Station>(settings, w.h.messages, w.h.clock, w.h.log,
                                            std::make_unique<LibraryPrinter>(path));
    w.h.station->prepare();
    w.open();

    for (const char *name : {"Command6", "Command21", "Command22", "Command1"}) {
        w.h.messages.messages.clear();
        w.click(name);
        QCOMPARE(w.h.messages.messages.size(), 1);
        QVERIFY2(w.h.messages.texts().first().contains(path), name);
        QCOMPARE(w.h.messages.messages.first().icon, MessageIcon::Critical);
        QVERIFY(w.running());
        QVERIFY(w.controlsEnabled());
    }

    w.h.messages.messages.clear();
    w.prueba(4);
    w.prueba(1);
    QCOMPARE(w.h.messages.messages.size(), 2);
    QVERIFY(w.h.messages.texts().at(0).contains(path));
    QVERIFY(w.h.messages.texts().at(1).contains(path));
    QCOMPARE(w.h.messages.messages.at(1).caption, QStringLiteral("Prueba 1"));
    QVERIFY(w.mostrar().isEmpty());
}

QTEST_MAIN(GuiCommands)
#include "gui_commands.moc"
