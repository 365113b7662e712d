// The station's window on a real, not yet prepared station (temporary SQLite database, virtual
// printer), under the offscreen platform, with a notification area the test controls.
#include "app/window/NotificationIcon.h"
#include "app/window/WindowFrontEnd.h"
#include "app/window/frmImprimirFacturaROBOT.h"
#include "db/DocumentSchema.h"
#include "printer/LibraryPrinter.h"
#include "support/StationHarness.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

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

const QString rifTitle = designTitle() + QStringLiteral(" ( RIF: J-12345678-9 )");

// `configuration` replaces the configuration record: RIF, VerCantidad, VerCantidadDecimal, ...
struct Fixture {
    StationHarness h;
    FakeIcon *icon = nullptr;
    std::unique_ptr<frmImprimirFacturaROBOT> window;

    explicit Fixture(const QString &configuration = {}) {
        if (!configuration.isEmpty())
            h.docs.setConfiguration(configuration);
        Settings settings;
        settings.RutaAplicacion = settings.RutaDatos = h.docs.directory();
        settings.RutaBaseDatos = h.docs.databasePath();
        settings.Caja = 1;
        h.station = std::make_unique<Station>(
            settings, h.messages, h.clock, h.log,
            std::make_unique<LibraryPrinter>(StationHarness::virtualPrinterPath()));
        icon = new FakeIcon;
        window = std::make_unique<frmImprimirFacturaROBOT>(*h.station,
                                                           std::unique_ptr<NotificationIcon>(icon));
        window->show();
    }
    QPushButton *button(const char *name) const { return window->button(QLatin1String(name)); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    bool running() const { return h.station->robot.timerEnabled(); }
};

} // namespace

class GuiWindow : public QObject {
    Q_OBJECT
private slots:
    void notificationAreaAndClosingOnlyWhileStopped() {
        Fixture f;
        frmImprimirFacturaROBOT &window = *f.window;
        QSignalSpy ends(&window, &frmImprimirFacturaROBOT::programEnds);
        QVERIFY(!f.h.station->prepared());

        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&window, &activate);
        QCoreApplication::processEvents();
        QVERIFY(f.h.station->prepared());
        QVERIFY(f.h.messages.messages.isEmpty());
        QVERIFY(window.isHidden() && f.icon->shown);
        QCOMPARE(window.windowTitle(), rifTitle);
        QVERIFY(f.running());

        emit f.icon->activated();
        QVERIFY(window.isVisible() && !window.isMinimized() && !f.icon->shown);
        // Later activations repeat nothing of the first one.
        QApplication::sendEvent(&window, &activate);
        QCoreApplication::processEvents();
        window.firstActivation();
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowTitle(), rifTitle);

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
        QCOMPARE(command3->text(), QStringLiteral("Detener"));
        QVERIFY(!command10->isEnabled() && status->isHidden());
        QVERIFY(!window.close()); // the title bar's close while the robot runs
        QVERIFY(window.isHidden() && f.icon->shown);
        QCOMPARE(ends.count(), 0);
        emit f.icon->activated();

        f.click("Command3");
        QCOMPARE(command3->text(), QStringLiteral("Iniciar"));
        QVERIFY(!f.running() && command10->isEnabled());
        const QString stopped = f.h.station->robot.statusText();
        QVERIFY(status->isVisibleTo(&window));
        QCOMPARE(status->text(), stopped);
        QCOMPARE(f.icon->text, frmImprimirFacturaROBOT::notificationTip() + u'\n' + stopped);
        // A long reason is cut in the label only.
        f.h.station->robot.noteStoppedAfterFailure(QStringLiteral("etapa 7: ") +
                                                   QString(300, u'x'));
        const QString failure = f.h.station->robot.statusText();
        QCOMPARE(status->toolTip(), failure);
        QVERIFY(status->fontMetrics().horizontalAdvance(status->text()) <= status->width());
        QVERIFY(f.icon->text.endsWith(failure));

        f.click("Command3");
        QCOMPARE(command3->text(), QStringLiteral("Detener"));
        QVERIFY(f.running() && !command10->isEnabled() && status->isHidden());
        QCOMPARE(f.icon->text, frmImprimirFacturaROBOT::notificationTip());

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
                expect(window->firstActivationDone(), "prepared");
                expect(window->windowTitle() == rifTitle, "title");
                expect(window->isMinimized() && window->isVisible(), "starts minimised");
                window->showNormal();
                window->button(QStringLiteral("Command4"))->click();
                expect(window->isMinimized() && window->isVisible(), "Minimizar");
                window->showNormal();
                expect(!window->close(), "close refused while running");
                expect(window->isMinimized() && window->isVisible(), "close minimises");
                window->button(QStringLiteral("Command3"))->click();
                window->button(QStringLiteral("Command10"))->click();
            });
        });
        QTimer::singleShot(20000, [] { QCoreApplication::exit(3); }); // the test must end
        QCOMPARE(runWindowedStation(*f.h.station), 0);
        QCOMPARE(failures, QStringList());
    }

    void layoutOptionsPanelAndHabilitaControles() {
        Fixture f;
        frmImprimirFacturaROBOT &window = *f.window;
        // The operator commands find their controls by these names.
        for (const char *name :
             {"Command1", "Command3", "Command4", "Command5", "Command6", "Command7", "Command9",
              "Command10", "Command13", "Command14", "Command15", "Command16", "Command17",
              "Command18", "Command19", "Command20", "Command21", "Command22", "Command23"})
            QVERIFY2(window.button(QLatin1String(name)), name);
        QCOMPARE(window.invoiceList()->objectName() + window.creditNoteList()->objectName() +
                     window.answerBox()->objectName(),
                 QStringLiteral("DBList2DBList1Mostrar"));
        QVERIFY(f.button("Command5")->isHidden() && f.button("Command7")->isHidden());
        QVERIFY(window.optionsPanel()->isHidden());
        QCOMPARE(window.palette().color(QPalette::Window), QColor(189, 206, 213));
        QCOMPARE(window.optionsPanel()->palette().color(QPalette::Window), QColor(189, 206, 213));

        window.firstActivation();
        window.restoreFromNotificationArea();
        f.click("Command13");
        QVERIFY(window.optionsPanel()->isVisible());
        QVERIFY(f.running());
        // A report taken while the operator had stopped the robot.
        f.click("Command3");
        window.HabilitaControles(false);
        QVERIFY(!f.running());
        for (const char *name : {"Command3", "Command4", "Command5", "Command6", "Command7"})
            QVERIFY2(!f.button(name)->isEnabled(), name);
        for (const char *name : {"Command1", "Command10", "Command13", "Command21", "Command22"})
            QVERIFY2(f.button(name)->isEnabled(), name);
        f.click("Command9");
        QVERIFY(window.optionsPanel()->isHidden());
        QVERIFY(f.running());
        for (const char *name : {"Command3", "Command4", "Command6", "Command10"})
            QVERIFY2(f.button(name)->isEnabled(), name);
        QCOMPARE(f.button("Command3")->text(), QStringLiteral("Iniciar"));

        if (window.logicalDpiX() != 96 || window.logicalDpiY() != 96)
            QSKIP("geometry is checked at 96 DPI only");
        QCOMPARE(window.size(), QSize(689, 311));
        QCOMPARE(f.button("Command10")->geometry(), QRect(608, 288, 65, 20));
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

        // Nothing can print, so the operator may close the program.
        f.click("Command10");
        QCOMPARE(ends.count(), 1);
        QCOMPARE(f.h.messages.messages.size(), 1);
    }

    void quantityModeFromConfiguration() {
        const std::pair<const char *, int> rows[] = {{"-1, 0", 1},    {"0, -1", 2},
                                                     {"-1, -1", 3},   {"0, 0", 0},
                                                     {"NULL, -1", 0}, {"-1, NULL", 0}};
        for (const auto &[values, mode] : rows) {
            Fixture f(QStringLiteral("'J123456789', %1, 0").arg(QLatin1String(values)));
            f.window->firstActivation();
            QVERIFY2(int(f.h.station->robot.ModoCantidad) == mode, values);
        }
    }
};

QTEST_MAIN(GuiWindow)
#include "gui_window.moc"
