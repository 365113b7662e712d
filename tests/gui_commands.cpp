// The operator's printer commands and information queries, clicked in the real window of a
// real station printing on the virtual printer (offscreen platform).
#include "app/window/frmImprimirFacturaROBOT.h"
#include "printer/LibraryPrinter.h"
#include "support/StationHarness.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

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
        window = std::make_unique<frmImprimirFacturaROBOT>(*h.station);
        window->show();
        window->firstActivation();
        window->restoreFromNotificationArea();
    }
    QPushButton *button(const char *name) const { return window->button(QLatin1String(name)); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void prueba(int n) const {
        if (!window->optionsPanel()->isVisible())
            click("Command13");
        static const char *const buttons[] = {"Command14", "Command15", "Command16", "Command17",
                                              "Command18", "Command19", "Command20", "Command23"};
        click(buttons[n - 1]);
    }
    QString mostrar() const { return window->answerBox()->toPlainText(); }
    const RecordingMessages::Message &lastMessage() const { return h.messages.messages.last(); }
    bool running() const { return h.station->robot.timerEnabled(); }
    // The visible buttons that HabilitaControles switches.
    bool controlsEnabled() const {
        return button("Command3")->isEnabled() && button("Command4")->isEnabled() &&
               button("Command6")->isEnabled();
    }
};

} // namespace

class GuiCommands : public QObject {
    Q_OBJECT
private slots:
    void reportsDrawerAndQueries() {
        WindowedStation w;
        w.open();
        // Refused first, while the paper is blank.
        const char *refused = "Status de la Impresora: 6,0,1\r\nComando no ejecutado\r";
        const struct {
            const char *fault, *button, *caption, *text, *notOnPaper;
        } rows[] = {
            {"refuse Bematech_FI_LecturaX", "Command21", "Lectura X", refused, "LECTURA X"},
            {"refuse Bematech_FI_ReduccionZ", "Command6", "Reducción Z", refused, "REDUCCIÓN Z"},
            {"offline", "Command22", "Abrir G", "Error de comunicación con la impresora.",
             "GAVETA ABIERTA"},
        };
        for (const auto &row : rows) {
            w.h.messages.messages.clear();
            w.h.setFaults(QString::fromUtf8(row.fault));
            w.click(row.button);
            QCOMPARE(w.h.messages.texts(), QStringList{QString::fromUtf8(row.text)});
            QCOMPARE(w.lastMessage().caption, QString::fromUtf8(row.caption));
            QVERIFY2(!w.h.paper().contains(QString::fromUtf8(row.notOnPaper)), row.notOnPaper);
            QVERIFY(w.h.printer->CodigoRetorno != 1);
            QVERIFY(w.running() && w.controlsEnabled());
        }

        w.h.setFaults({});
        w.h.messages.messages.clear();
        w.prueba(7);
        QCOMPARE(w.mostrar(), buffer(QStringLiteral("000000")));
        w.click("Command6");
        QCOMPARE(w.h.printer->callsTo(QStringLiteral("ReduccionZ")).last(),
                 QStringLiteral("ReduccionZ(|)"));
        QVERIFY(w.h.paper().contains(QStringLiteral("REDUCCIÓN Z N° 0001")));
        w.prueba(7);
        QCOMPARE(w.mostrar(), buffer(QStringLiteral("000001")));

        // A report restarts a robot the operator stopped; Command3 goes by the timer, not its text.
        QPushButton *command3 = w.button("Command3");
        w.click("Command3");
        QVERIFY(!w.running());
        w.click("Command21");
        QVERIFY(w.h.paper().contains(QStringLiteral("LECTURA X")));
        QVERIFY(w.running());
        QCOMPARE(command3->text(), QStringLiteral("Iniciar"));

        w.click("Command22");
        QVERIFY(w.h.paper().contains(QStringLiteral("GAVETA ABIERTA")));
        QVERIFY(w.h.messages.messages.isEmpty());
        QVERIFY(w.running() && w.controlsEnabled());
        w.click("Command3");
        QVERIFY(!w.running());
        QCOMPARE(command3->text(), QStringLiteral("Iniciar"));

        // Queries leave the robot as it is, here stopped.
        w.h.printer->calls.clear();
        w.h.messages.messages.clear();
        w.prueba(4);
        w.prueba(4);
        QCOMPARE(w.mostrar(), buffer(kSerial));
        w.prueba(3);
        QVERIFY(w.mostrar().startsWith(QStringLiteral("0001,")) && w.mostrar().size() == 631);
        const QString shown = w.mostrar();

        w.h.printer->CodigoRetorno = 77;
        w.prueba(2);
        QCOMPARE(w.h.printer->CodigoRetorno, short(77));
        QCOMPARE(w.h.messages.messages.size(), 1);
        QVERIFY(
            w.lastMessage().text.startsWith(QStringLiteral("Bematech_FI_DatosUltimaReduccion,")));
        QVERIFY(w.lastMessage().icon == MessageIcon::None && w.lastMessage().caption.isEmpty());

        w.prueba(1);
        QCOMPARE(w.h.printer->CodigoRetorno, short(1));
        QCOMPARE(w.lastMessage().text, QStringLiteral("1:") + buffer(kSerial));
        QCOMPARE(w.lastMessage().icon, MessageIcon::None);
        QCOMPARE(w.mostrar(), shown);

        for (int n = 5; n <= 8; ++n)
            w.prueba(n);
        QCOMPARE(w.mostrar(), buffer(QStringLiteral("0000")));
        QCOMPARE(w.h.printer->calls.join(u' '),
                 QStringLiteral("NumeroSerie(631) NumeroSerie(631) DatosUltimaReduccion(631) "
                                "LeerArchivoRetorno(631) NumeroSerie(631) "
                                "NumeroIntervenciones(631) ContadoresTotalizadoresNoFiscales(631) "
                                "NumeroReducciones(631) NumeroSustituicionesPropietario(631)"));
        QVERIFY(!w.running());
    }

    void anulaCuponAfterAFailedInvoiceAndWithNothingOpen() {
        WindowedStation w;
        w.h.docs.addInvoice(3);
        for (int line = 1; line <= 3; ++line)
            w.h.docs.addInvoiceLine(3, line, 1, line);
        w.h.setFaults(QStringLiteral("refuse Bematech_FI_VendeArticulo 2"));
        w.open();
        w.h.runUntilIdle();
        QVERIFY(!w.running());
        QVERIFY(w.h.messages.texts().join(u'\n').contains(QStringLiteral("etapa 4")));

        w.h.setFaults({});
        w.h.messages.messages.clear();
        w.click("Command1");
        QVERIFY(w.h.paper().contains(QStringLiteral("DOCUMENTO N° 000001 ANULADO")));
        QCOMPARE(w.h.messages.texts(), QStringList{QStringLiteral("Listo.")});
        QVERIFY(w.lastMessage().icon == MessageIcon::None && w.lastMessage().caption.isEmpty());
        QVERIFY(w.running());

        // The failed invoice is the one taken last: the robot skips it and prints nothing.
        w.h.station->robot.tick();
        QCOMPARE(w.h.printer->callsTo(QStringLiteral("AbreComprobanteDeVentaEx")).size(), 1);
        QVERIFY(!w.h.paper().contains(QStringLiteral("CERRADO")));
        QVERIFY(w.running());
        QVERIFY(w.h.field(QStringLiteral("Ventas"), 3, QStringLiteral("Control")).isNull());
        QCOMPARE(w.window->invoiceList()->count(), 1);

        // Nothing left to cancel: the printer's refusal, not "Listo.".
        w.h.messages.messages.clear();
        w.click("Command1");
        QCOMPARE(w.h.messages.texts(),
                 QStringList{QStringLiteral(
                     "Status de la Impresora: 6,0,4\r\nCancelamiento no permitido\r")});
        QCOMPARE(w.lastMessage().caption, QStringLiteral("Anula Cupon"));
        QCOMPARE(w.h.printer->CodigoRetorno, short(-27));
        QVERIFY(w.running() && w.controlsEnabled());
    }

    void listsFollowTheSourcesAndDoubleClickSendsNothing() {
        WindowedStation w;
        w.h.docs.addInvoice(1);
        w.h.docs.addInvoice(2);
        w.h.docs.addCreditNote(5);
        w.open();
        w.click("Command3"); // no tick may print meanwhile

        const auto shows = [](const QListWidget *list, const QList<PendingDocument> &documents) {
            QStringList texts, wanted;
            for (int i = 0; i < list->count(); ++i)
                texts << list->item(i)->text();
            for (const auto &d : documents)
                wanted << d.vistaEspecial;
            return texts == wanted;
        };
        PendingSources &sources = w.h.station->sources;
        QListWidget *invoices = w.window->invoiceList();
        QCOMPARE(invoices->count(), 2);
        QVERIFY(shows(invoices, sources.invoices()));
        QVERIFY(shows(w.window->creditNoteList(), sources.creditNotes()));

        // A refresh that changes the list keeps the operator's selection.
        invoices->setCurrentRow(1);
        const QString selected = invoices->currentItem()->text();
        w.h.docs.addInvoice(4);
        QVERIFY(sources.RefrescaListas());
        QCOMPARE(invoices->count(), 3);
        QVERIFY(shows(invoices, sources.invoices()) && invoices->currentItem());
        QCOMPARE(invoices->currentItem()->text(), selected);

        for (QListWidget *list : {invoices, w.window->creditNoteList()})
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                               list->visualItemRect(list->item(0)).center());
        QVERIFY(w.h.printer->calls.isEmpty());
        QVERIFY(w.h.messages.messages.isEmpty());
    }

    void aLibraryThatCannotBeLoadedIsNamed() {
        WindowedStation w;
        const QString path = QStringLiteral("/no/existe/libimpresora.so");
        Settings settings;
        settings.RutaBaseDatos = w.h.docs.databasePath();
        settings.Caja = 1;
        w.h.station = std::make_unique<Station>(settings, w.h.messages, w.h.clock, w.h.log,
                                                std::make_unique<LibraryPrinter>(path));
        w.h.station->prepare();
        w.open();

        w.click("Command13");
        for (const char *name :
             {"Command6", "Command21", "Command22", "Command1", "Command17", "Command14"}) {
            w.h.messages.messages.clear();
            w.click(name);
            QCOMPARE(w.h.messages.messages.size(), 1);
            QVERIFY2(w.lastMessage().text.contains(path), name);
            QCOMPARE(w.lastMessage().icon, MessageIcon::Critical);
            QVERIFY(w.running() && w.controlsEnabled());
        }
        QCOMPARE(w.lastMessage().caption, QStringLiteral("Prueba 1"));
        QVERIFY(w.mostrar().isEmpty());
    }
};

QTEST_MAIN(GuiCommands)
#include "gui_commands.moc"
