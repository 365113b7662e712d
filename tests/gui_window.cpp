// The station's window on a real station (temporary SQLite database, virtual printer), under the
// offscreen platform: its states, and the operator's printer commands and queries clicked in it.
#include "app/window/MessageBoxMessages.h"
#include "app/window/NotificationIcon.h"
#include "app/window/WindowFrontEnd.h"
#include "app/window/frmImprimirFacturaROBOT.h"
#include "support/StationHarness.h"

#include <QApplication>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace robot;

namespace {

class FakeIcon : public NotificationIcon {
public:
    bool available() const override { return true; }
    void setVisible(bool visible) override { shown = visible; }
    bool isVisible() const override { return shown; }
    void setToolTip(const QString &tip) override { text = tip; }
    QString toolTip() const override { return text; }
    void showMessage(const QString &title, const QString &) override { balloons << title; }
    bool shown = false;
    QString text;
    QStringList balloons;
};

const QString rifTitle = designTitle() + QStringLiteral(" ( RIF: J-12345678-9 )");

const QString kSerial = QStringLiteral("BE0908ZZ12345");

// What the library leaves in a 631-space buffer after writing `text`.
QString buffer(const QString &text) {
    return text + QString(631 - text.size(), u' ');
}

// A real station, not yet prepared, with its window in view and a notification area the test
// controls. `configuration` replaces the configuration record: RIF, VerCantidad, ...
struct Fixture {
    StationHarness h;
    FakeIcon *icon = new FakeIcon;
    std::unique_ptr<frmImprimirFacturaROBOT> window;

    explicit Fixture(const QString &configuration = {}) {
        if (!configuration.isEmpty())
            h.docs.setConfiguration(configuration);
        h.create();
        window = std::make_unique<frmImprimirFacturaROBOT>(
            windowParts(*h.station, h.messages, h.clock, h.log),
            std::unique_ptr<NotificationIcon>(icon));
        window->show();
    }
    // The first activation done and the window back in view.
    void open() const {
        window->firstActivation();
        window->restoreFromNotificationArea();
    }
    QPushButton *button(const char *name) const { return window->button(QLatin1String(name)); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    bool running() const { return h.station->robot().running(); }
    QString mostrar() const { return window->answerBox()->toPlainText(); }
    const RecordingMessages::Message &lastMessage() const { return h.messages.messages.last(); }
};

} // namespace

class GuiWindow : public QObject {
    Q_OBJECT
private slots:
    void notificationAreaOptionsAndClosingOnlyWhileStopped() {
        Fixture f;
        frmImprimirFacturaROBOT &window = *f.window;
        QSignalSpy ends(&window, &frmImprimirFacturaROBOT::programEnds);
        QVERIFY(!f.h.station->prepared());

        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&window, &activate);
        QCoreApplication::processEvents();
        QVERIFY(f.h.messages.messages.isEmpty());
        QVERIFY(window.isHidden() && f.icon->shown);
        QCOMPARE(window.windowTitle(), rifTitle);
        QVERIFY(f.running());

        emit f.icon->activated();
        QVERIFY(window.isVisible() && !window.isMinimized() && !f.icon->shown);

        f.click("Command4");
        QVERIFY(window.isHidden() && f.icon->shown);
        emit f.icon->activated();
        window.showMinimized(); // the title bar's minimise button
        QCoreApplication::processEvents();
        QVERIFY(window.isHidden() && f.icon->shown);
        emit f.icon->activated();
        QVERIFY(window.isVisible() && !window.isMinimized() && !f.icon->shown);

        QPushButton *command3 = f.button("Command3");
        QPushButton *command10 = f.button("Command10");
        QLabel *status = window.statusLabel();
        // Idle and running: it says so, not as a problem.
        QVERIFY(!command10->isEnabled());
        const QString waiting = QStringLiteral("Esperando documentos: no hay nada pendiente.");
        QCOMPARE(status->text(), waiting);
        QVERIFY(!status->styleSheet().contains(QStringLiteral("#a00000")));
        QVERIFY(!window.close()); // the title bar's close while the robot runs
        QVERIFY(window.isHidden() && f.icon->shown);
        QCOMPARE(ends.count(), 0);
        emit f.icon->activated();

        f.click("Command3");
        QCOMPARE(command3->text(), QStringLiteral("Iniciar"));
        QVERIFY(!f.running() && command10->isEnabled());
        const QString stopped = f.h.station->robot().statusText();
        QVERIFY(status->isVisibleTo(&window));
        QCOMPARE(status->text(), stopped);
        QVERIFY(status->styleSheet().contains(QStringLiteral("#a00000")));
        QCOMPARE(f.icon->text, frmImprimirFacturaROBOT::notificationTip() + u'\n' + stopped);
        // A long cause is shown whole, wrapped on a line of its own below the buttons.
        f.h.station->robot().noteStoppedAfterFailure(QStringLiteral("etapa 7: ") +
                                                     QString(60, u'x') + QStringLiteral(" ") +
                                                     QString(60, u'y'));
        const QString failure = f.h.station->robot().statusText();
        QCOMPARE(status->text(), failure);
        QVERIFY2(status->wordWrap() && status->heightForWidth(status->width()) <= status->height(),
                 qPrintable(QString::number(status->heightForWidth(status->width())) + u' ' +
                            QString::number(status->height())));
        QVERIFY(status->geometry().top() >= command3->geometry().bottom() &&
                window.rect().contains(status->geometry()));
        QVERIFY(f.icon->text.endsWith(failure));

        f.click("Command3");
        QCOMPARE(command3->text(), QStringLiteral("Detener"));
        QVERIFY(f.running() && !command10->isEnabled());
        QCOMPARE(status->text(), waiting);
        QCOMPARE(f.icon->text, frmImprimirFacturaROBOT::notificationTip() + u'\n' + waiting);

        // The options panel, and a report taken while the operator had stopped the robot.
        QVERIFY(window.optionsPanel()->isHidden());
        f.click("Command13");
        QVERIFY(window.optionsPanel()->isVisible() && f.running());
        f.click("Command3");
        window.HabilitaControles(false);
        QVERIFY(!f.running() && f.h.station->robot().busy());
        for (const char *name : {"Command3", "Command4", "Command5", "Command6", "Command7"})
            QVERIFY2(!f.button(name)->isEnabled(), name);
        for (const char *name : {"Command1", "Command13", "Command21", "Command22"})
            QVERIFY2(f.button(name)->isEnabled(), name);
        QVERIFY(!command10->isEnabled()); // not while a command has the printer
        f.click("Command9");
        QVERIFY(window.optionsPanel()->isHidden() && f.running());
        for (const char *name : {"Command3", "Command4", "Command6"})
            QVERIFY2(f.button(name)->isEnabled(), name);

        f.click("Command3");
        f.click("Command10");
        QCOMPARE(ends.count(), 1);
        QVERIFY(window.isHidden() && !f.icon->shown);
    }

    // The program's own front end, with the platform's icon: offscreen has no notification area.
    void withoutNotificationAreaOnlyMinimises() {
        Fixture f;
        f.window.reset(); // the front end makes its own
        QStringList failures;
        const auto expect = [&](bool ok, const char *what) {
            if (!ok)
                failures << QLatin1String(what);
        };
        // Posted before the front end's own first activation, so look one turn later.
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, [&] {
                frmImprimirFacturaROBOT *window = nullptr;
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (auto *candidate = qobject_cast<frmImprimirFacturaROBOT *>(w))
                        window = candidate;
                if (!window)
                    return QCoreApplication::exit(2);
                expect(!window->notificationIcon().available(), "no notification area");
                // Minimised by its first activation.
                expect(window->isMinimized() && window->isVisible(), "starts minimised");
                window->showNormal();
                window->button(QStringLiteral("Command4"))->click();
                expect(window->isMinimized() && window->isVisible(), "Minimizar");
                window->button(QStringLiteral("Command3"))->click();
                window->button(QStringLiteral("Command10"))->click();
            });
        });
        QTimer::singleShot(20000, [] { QCoreApplication::exit(3); }); // the test must end
        QCOMPARE(runWindowedStation(*f.h.station, f.h.messages, f.h.clock, f.h.log), 0);
        QCOMPARE(failures, QStringList());
    }

    void incompleteConfigurationKeepsWindowInView() {
        Fixture f(QStringLiteral("NULL, -1, 0, 0"));
        QSignalSpy ends(f.window.get(), &frmImprimirFacturaROBOT::programEnds);
        f.window->firstActivation();
        QCOMPARE(f.h.messages.messages.size(), 1);
        QVERIFY(!f.running());
        QCOMPARE(f.window->windowTitle(), designTitle());
        QVERIFY(f.window->isVisible() && !f.window->isMinimized() && !f.icon->shown);
        QVERIFY(f.window->statusLabel()->isVisibleTo(f.window.get()));
        QVERIFY(!f.window->statusLabel()->text().isEmpty());
        f.click("Command3"); // nothing starts it, neither the button nor a command's end
        f.window->HabilitaControles(true);
        QVERIFY(!f.running());
        QCOMPARE(f.h.station->robot().state(), Robot::State::NotPrepared);

        // Nothing can print, so the operator may close the program.
        f.click("Command10");
        QCOMPARE(ends.count(), 1);
        QCOMPARE(f.h.messages.messages.size(), 1);
    }

    // One click on a fresh window: its printer calls, message, answer box, return code, robot
    // and log line. Refusals, a missing library and the steps' order are test_commands'.
    void buttons_data() {
        QTest::addColumn<bool>("stopped"); // the operator stopped the robot before the click
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("calls");   // made by the click, blank separated
        QTest::addColumn<QString>("message"); // how "caption|text" starts; empty: none shown
        QTest::addColumn<QString>("answer");  // how the answer box starts
        QTest::addColumn<bool>("running");    // the robot after the click
        QTest::addColumn<QString>("log");     // found in the log after the click
        QString log;
        const auto row = [&log](const char *name, const char *button, const char *calls,
                                const QString &message, const QString &answer, bool stopped = false,
                                bool running = true) {
            QTest::newRow(name) << stopped << QString::fromUtf8(button) << QString::fromUtf8(calls)
                                << message << answer << running << log;
        };
        const QString before = QStringLiteral("antes");
        // A command gives the controls back and starts the robot, even one the operator stopped.
        log = QStringLiteral("INFO  Lectura X: hecho.");
        // The coupon counter around each report, for the print journal.
        row("X, robot stopped", "Command21",
            "NumeroCupon(6) LecturaX() RetornoImpresora() NumeroCupon(6)",
            QStringLiteral("Lectura X|Reporte X hecho."), before, true);
        row("Prueba 1", "Command14", "NumeroSerie(631)", QStringLiteral("|1:") + buffer(kSerial),
            before);
        row("Prueba 2", "Command15", "LeerArchivoRetorno(631)", QStringLiteral("|"), before);
        row("Prueba 4, robot stopped", "Command17", "NumeroSerie(631)", {}, buffer(kSerial), true,
            false);
        // Only queries reach the printer. The harness writes no ImpresorFiscal.inf, which the
        // report names first.
        log.clear();
        row("Diagnóstico", "Diagnostico",
            "NumeroSerie(631) NumeroReducciones(631) NumeroCupon(6) RetornoImpresora()",
            QStringLiteral("Diagnóstico|FALLA   Archivo de configuración"), before);
    }
    void buttons() {
        QFETCH(bool, stopped);
        QFETCH(QString, button);
        QFETCH(QString, calls);
        QFETCH(QString, message);
        QFETCH(QString, answer);
        QFETCH(bool, running);
        QFETCH(QString, log);
        Fixture w;
        w.open();
        if (stopped)
            w.click("Command3");
        const QByteArray name = button.toLatin1();
        if (w.window->optionsPanel()->isAncestorOf(w.button(name.constData())))
            w.click("Command13");
        w.window->answerBox()->setPlainText(QStringLiteral("antes"));
        w.h.printer->calls.clear();

        w.click(name.constData());
        QCOMPARE(w.h.printer->calls.join(u' '), calls);
        QCOMPARE(w.h.messages.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            const QString shown = w.lastMessage().caption + u'|' + w.lastMessage().text;
            QVERIFY2(shown.startsWith(message), qPrintable(shown));
            if (message.startsWith(u'|'))
                QCOMPARE(w.lastMessage().icon, MessageIcon::None);
        }
        QVERIFY2(answer.isEmpty() || w.mostrar().startsWith(answer), qPrintable(w.mostrar()));
        if (answer != QStringLiteral("antes"))
            QCOMPARE(w.mostrar().size(), 631);
        QCOMPARE(w.running(), running);
        // Each query button leaves its line in the log.
        const QString caption = w.button(name.constData())->text();
        if (caption.startsWith(QStringLiteral("Prueba")))
            log = caption + QStringLiteral(" (Bematech_FI_");
        const QString logged = readAll(w.h.log.path());
        QVERIFY2(logged.contains(log), qPrintable(logged));
        // The caption and «Cerrar» say what the robot does, also after a command restarted it.
        QCOMPARE(w.button("Command3")->text(),
                 running ? QStringLiteral("Detener") : QStringLiteral("Iniciar"));
        QCOMPARE(w.button("Command10")->isEnabled(), !running);
    }

    // Window message boxes: Qt's buttons in Spanish, Enter answers "No", the caption whole.
    void messageBoxesInSpanish() {
        QVERIFY(MessageBoxMessages::loadQtSpanish());
        QStringList buttons;
        int room = 0; // the box's width beyond its caption's
        const QString caption = QStringLiteral("Emisión de Comprobante Fiscal");
        const auto answer = [&](Qt::Key key) {
            QTimer::singleShot(0, [&, key] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    for (QAbstractButton *b : box->buttons())
                        buttons << b->text();
                    room = box->width() - box->fontMetrics().horizontalAdvance(caption);
                    QTest::keyClick(box, key);
                }
            });
        };
        answer(Qt::Key_Enter);
        QVERIFY(!MessageBoxMessages().ask(QStringLiteral("¿Seguro?"), QStringLiteral("Pregunta")));
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("&No"), QStringLiteral("&Sí")}));
        buttons.clear();
        answer(Qt::Key_Escape);
        MessageBoxMessages().show(QStringLiteral("Fin de Papel"), MessageIcon::Warning, caption);
        QCOMPARE(buttons, QStringList{QStringLiteral("Aceptar")});
        // Room for the caption beside the title bar's icon and buttons.
        QVERIFY2(room >= 150, qPrintable(QString::number(room)));
    }

    // After a failure the robot says it stopped; started again by the operator («Iniciar», or
    // «Continuar» in the options panel) it takes the failed document again, then the rest.
    void startedAgainAfterAFailureTakesTheFailedDocument() {
        Fixture f;
        for (const int codigo : {1, 2, 3})
            f.h.docs.addInvoiceWithLine(codigo);
        f.open();
        Robot &robot = f.h.station->robot();
        f.h.setFaults(QStringLiteral("paper-out"));
        robot.tick();
        QVERIFY(!f.running());
        QCOMPARE(f.window->statusLabel()->text(),
                 QStringLiteral("Robot detenido tras una falla: factura 1, etapa 2: Fin de Papel. "
                                "Hay 3 documentos pendientes de impresión."));
        QCOMPARE(f.button("Command3")->text(), QStringLiteral("Iniciar"));
        f.h.setFaults({});
        f.click("Command3");
        robot.tick();
        QCOMPARE(f.h.paper().count(QStringLiteral(" CERRADO")), 1);

        f.h.setFaults(QStringLiteral("paper-out"));
        robot.tick();
        QVERIFY(!f.running());
        f.h.setFaults({});
        f.click("Command13");
        f.click("Command9");
        f.h.runUntilIdle();
        QCOMPARE(f.h.paper().count(QStringLiteral(" CERRADO")), 3);
        QCOMPARE(f.h.printer->callsTo(QStringLiteral("FinalizarCierreCupon")).size(), 3);
        // One balloon by the icon for each time the paper ran out.
        QCOMPARE(f.icon->balloons,
                 QStringList(2, StationAlerts::title(StationAlerts::Kind::Paper)));

        // The options panel's technician tools: the reconciliation in the answer box, the
        // support bundle beside the station's files.
        f.click("Command13");
        f.click("Conciliacion");
        QVERIFY2(f.mostrar().contains(QStringLiteral("Caja 1: 3 documentos con número de cupón")),
                 qPrintable(f.mostrar()));
        f.click("PaqueteSoporte");
        const QString told = f.lastMessage().text;
        QVERIFY2(told.startsWith(QStringLiteral("Paquete de soporte escrito: ")), qPrintable(told));
        QVERIFY(QFile::exists(told.section(QStringLiteral(": "), 1)));

        // A slow printer call lets the window answer: a click hides it at once. A command clicked
        // in the middle of a document runs right after it, before the next one; a second of the
        // timer starts no tick inside the one in progress.
        for (const int codigo : {4, 5})
            f.h.docs.addInvoiceWithLine(codigo);
        f.h.printer->calls.clear();
        f.h.setFaults(QStringLiteral("delay 200"));
        QStringList callsAtClick;
        // The status line says at once what is printing and when the command will run; a
        // second click of it while it waits is not a second report.
        QString printing, promised;
        QTimer::singleShot(100, [&] {
            callsAtClick = f.h.printer->calls;
            printing = f.window->statusLabel()->text();
            f.click("Command4");
            f.click("Command21");
            promised = f.window->statusLabel()->text();
            f.click("Command21");
            f.h.station->robot().tick();
        });
        f.h.station->robot().tick();
        QCOMPARE(printing, QStringLiteral("Imprimiendo la factura 4."));
        QCOMPARE(promised, QStringLiteral("«Cierre X»: se hará al terminar la factura 4."));
        QVERIFY(f.window->isHidden());
        QVERIFY2(!callsAtClick.isEmpty() &&
                     callsAtClick.filter(QStringLiteral("FinalizarCierreCupon")).isEmpty(),
                 qPrintable(callsAtClick.join(u' ')));
        QTRY_VERIFY(!f.h.printer->callsTo(QStringLiteral("LecturaX")).isEmpty());
        f.h.runUntilIdle();
        QStringList steps = f.h.printer->callsTo(
            QStringLiteral("(?:AbreComprobanteDeVentaEx|FinalizarCierreCupon|LecturaX)"));
        for (QString &step : steps)
            step.truncate(step.indexOf(u'('));
        QCOMPARE(steps,
                 (QStringList{QStringLiteral("AbreComprobanteDeVentaEx"),
                              QStringLiteral("FinalizarCierreCupon"), QStringLiteral("LecturaX"),
                              QStringLiteral("AbreComprobanteDeVentaEx"),
                              QStringLiteral("FinalizarCierreCupon")}));
        QCOMPARE(f.lastMessage().text, QStringLiteral("Reporte X hecho."));

        // «Detener» in the middle of a document says it stops once the document ends.
        f.h.docs.addInvoiceWithLine(6);
        QString stopping;
        QTimer::singleShot(100, [&] {
            f.click("Command3");
            stopping = f.window->statusLabel()->text();
        });
        f.h.station->robot().tick();
        QCOMPARE(stopping, QStringLiteral("Se detendrá al terminar la factura 6."));
        QCOMPARE(f.window->statusLabel()->text(), QStringLiteral("Robot detenido."));
        QCOMPARE(f.h.paper().count(QStringLiteral(" CERRADO")), 6);
    }

    // After a crash left the station's own coupon open, the restarted window stays in view:
    // its message names «Anula Cupon», which then prints the document again, once.
    void aCouponLeftOpenKeepsTheRestartedWindowInView() {
        StationHarness h;
        h.docs.addInvoice(1);
        h.docs.addInvoiceLine(1, 1, 1, 10);
        h.docs.addInvoiceLine(1, 2, 1, 20);
        h.setFaults(QStringLiteral("refuse Bematech_FI_VendeArticulo 2"));
        h.start();
        h.runUntilIdle();
        h.setFaults({});
        h.station.reset();

        h.create();
        auto *icon = new FakeIcon;
        frmImprimirFacturaROBOT window(windowParts(*h.station, h.messages, h.clock, h.log),
                                       std::unique_ptr<NotificationIcon>(icon));
        window.show();
        window.firstActivation();
        QVERIFY(h.messages.texts().last().startsWith(
            QStringLiteral("La factura 1 quedó abierta en la impresora")));
        QVERIFY(window.isVisible() && !window.isMinimized() && !icon->shown);
        QTest::mouseClick(window.button(QStringLiteral("Command1")), Qt::LeftButton);
        h.runUntilIdle();
        QCOMPARE(h.paper().count(QStringLiteral("ANULADO")), 1);
        QCOMPARE(h.paper().count(QStringLiteral(" CERRADO")), 1);
    }

    void listsFollowTheSourcesAndDoubleClickSendsNothing() {
        Fixture w;
        w.h.docs.addInvoice(1);
        w.h.docs.addInvoice(3000000000); // beyond 32 bits: still the same document
        w.h.docs.addCreditNote(5);
        w.open();
        w.click("Command3"); // no tick may print meanwhile

        const auto shows = [](const QListView *list, const QList<PendingDocument> &documents) {
            QStringList texts, wanted;
            for (int i = 0; i < list->model()->rowCount(); ++i)
                texts << list->model()->index(i, 0).data().toString();
            for (const auto &d : documents)
                wanted << d.vistaEspecial;
            return texts == wanted;
        };
        PendingSources &sources = w.h.station->sources();
        QListView *invoices = w.window->invoiceList();
        QCOMPARE(invoices->model()->rowCount(), 2);
        QVERIFY(shows(invoices, sources.invoices()));
        QVERIFY(shows(w.window->creditNoteList(), sources.creditNotes()));

        // A refresh that changes the list (one document gone, one new) keeps the operator's
        // selection.
        invoices->setCurrentIndex(invoices->model()->index(1, 0));
        const QString selected = invoices->currentIndex().data().toString();
        w.h.docs.addInvoice(4);
        w.h.docs.addInvoice(5);
        w.h.docs.exec(QStringLiteral("DELETE FROM \"Ventas\" WHERE \"Código\" = 1"));
        QVERIFY(sources.RefrescaListas());
        QCOMPARE(invoices->model()->rowCount(), 3);
        QVERIFY(shows(invoices, sources.invoices()));
        QCOMPARE(invoices->selectionModel()->selectedRows().value(0).data().toString(), selected);

        for (QListView *list : {invoices, w.window->creditNoteList()})
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                               list->visualRect(list->model()->index(0, 0)).center());
        QVERIFY(w.h.printer->calls.isEmpty());
        QVERIFY(w.h.messages.messages.isEmpty());

        // A stopped robot still reads the lists each second, and prints nothing.
        w.h.docs.addInvoice(6);
        w.h.station->robot().tick();
        QCOMPARE(invoices->model()->rowCount(), 4);
        QVERIFY(w.h.printer->calls.isEmpty());

        // "Cierre Z" with documents waiting, of both lists, asks first, counting them in the
        // database when asked; "No" prints nothing and the robot runs again, "Sí" prints the
        // report.
        w.h.docs.addInvoice(7);
        w.h.messages.answers = {false, true};
        w.click("Command6");
        QCOMPARE(w.h.messages.texts(),
                 QStringList{QStringLiteral("Hay 6 documentos pendientes de impresión. ¿Emitir la "
                                            "reducción Z de todos modos?")});
        QVERIFY(w.h.printer->callsTo(QStringLiteral("ReduccionZ")).isEmpty());
        QVERIFY(w.running());
        w.click("Command6");
        QCOMPARE(w.h.printer->callsTo(QStringLiteral("ReduccionZ")).size(), 1);
    }
};

QTEST_MAIN(GuiWindow)
#include "gui_window.moc"
