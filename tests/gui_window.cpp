// The station's window driven through a real Station on a demo SQLite database, under the
// offscreen platform. The notification area is replaced where a test needs one.
#include "app/Preparation.h"
#include "app/Station.h"
#include "app/window/NotificationIcon.h"
#include "app/window/WindowFrontEnd.h"
#include "app/window/frmImprimirFacturaROBOT.h"
#include "db/DocumentSchema.h"
#include "documents/StationLog.h"
#include "printer/FiscalPrinter.h"
#include "support/InstantClock.h"
#include "support/RecordingMessages.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A notification area the test controls: whether it exists, and clicks on the icon.
class FakeIcon : public NotificationIcon {
public:
    explicit FakeIcon(bool available) : present(available) {}
    bool available() const override { return present; }
    void setVisible(bool visible) override { shown = visible; }
    bool isVisible() const override { return shown; }
    void setToolTip(const QString &tip) override { text = tip; }
    QString toolTip() const override { return text; }

    bool present;
    bool shown = false;
    QString text;
};

// Answers every call with success; no test here may reach the printer in a meaningful way.
class QuietPrinter : public FiscalPrinter {
public:
    short AbreComprobanteDeVentaEx(const QString &, const QString &, const QString &) override {
        return 1;
    }
    short VendeArticulo(const QString &, const QString &, const QString &, const QString &,
                        const QString &, short, const QString &, const QString &,
                        const QString &) override {
        return 1;
    }
    short IniciaCierreCupon(const QString &, const QString &, const QString &) override {
        return 1;
    }
    short EfectuaFormaPago(const QString &, const QString &) override { return 1; }
    short FinalizarCierreCupon(const QString &) override { return 1; }
    short NumeroCupon(QString &) override { return 1; }
    short NumeroReducciones(QString &) override { return 1; }
    short NumeroIntervenciones(QString &) override { return 1; }
    short AccionaGaveta() override { return 1; }
    short AbreNotaDeCredito(const std::array<QString, 10> &) override { return 1; }
    short CierraCuponReducido(const QString &, const QString &) override { return 1; }
    short AnulaCupon() override { return 1; }
    short LecturaX() override { return 1; }
    short ReduccionZ(const QString &, const QString &) override { return 1; }
    short NumeroSerie(QString &) override { return 1; }
    short DatosUltimaReduccion(QString &) override { return 1; }
    short ContadoresTotalizadoresNoFiscales(QString &) override { return 1; }
    short NumeroSustituicionesPropietario(QString &) override { return 1; }
    short LeerArchivoRetorno(QString &) override { return 1; }
    short RetornoImpresora(short &ack, short &st1, short &st2) override {
        ack = 6;
        st1 = st2 = 0;
        return 1;
    }
};

const QString rifTitle = designTitle() + QStringLiteral(" ( RIF: J-12345678-9 )");

// A station on its own demo directory. `configuration` is a SET clause applied to the
// company configuration record, whose RIF is fixed to J123456789.
struct Fixture {
    QTemporaryDir dir;
    RecordingMessages messages;
    InstantClock clock;
    std::unique_ptr<StationLog> log;
    std::unique_ptr<Station> station;
    QString error;

    bool build(const QString &configuration = {}) {
        if (!dir.isValid())
            return fail(QStringLiteral("no temporary directory"));
        if (!createDemoDirectory(dir.path(), &error))
            return false;
        const StartupResult startup = startStation(dir.path());
        if (!startup.ok)
            return fail(startup.message);
        QStringList sets{QStringLiteral("[RIFCompañía] = 'J123456789'")};
        if (!configuration.isEmpty())
            sets << configuration;
        if (!execute(startup.settings.RutaBaseDatos,
                     QStringLiteral("UPDATE [Configuración] SET ") + sets.join(u',')))
            return false;

        log = std::make_unique<StationLog>(dir.filePath(QStringLiteral("robot.log")));
        station = std::make_unique<Station>(startup.settings, messages, clock, *log,
                                            std::make_unique<QuietPrinter>());
        return true;
    }

    bool execute(const QString &database, const QString &statement) {
        const QString name = QStringLiteral("fixture");
        bool ok = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(database);
            if (db.open()) {
                QSqlQuery query(db);
                ok = query.exec(statement);
                if (!ok)
                    error = query.lastError().text();
            } else {
                error = db.lastError().text();
            }
        }
        QSqlDatabase::removeDatabase(name);
        return ok;
    }

    bool fail(const QString &why) {
        error = why;
        return false;
    }
};

QPushButton *button(const frmImprimirFacturaROBOT &window, const char *name) {
    QPushButton *b = window.button(QLatin1String(name));
    if (!b)
        qFatal("no button %s", name);
    return b;
}

} // namespace

class GuiWindow : public QObject {
    Q_OBJECT
private slots:
    void layoutAtDesignResolution();
    void startsInNotificationAreaAndComesBack();
    void withoutNotificationAreaOnlyMinimises();
    void closingOnlyWhileStopped();
    void optionsPanelAndHabilitaControles();
    void listsFollowTheSources();
    void incompleteConfigurationKeepsWindowInView();
    void quantityModeFromConfiguration_data();
    void quantityModeFromConfiguration();
    void runWindowedStationEndsWithCerrar();
};

void GuiWindow::layoutAtDesignResolution() {
    Fixture f;
    QVERIFY2(f.build(), qPrintable(f.error));
    frmImprimirFacturaROBOT window(*f.station, std::make_unique<FakeIcon>(true));

    // The operator commands find their buttons by these names.
    for (const char *name :
         {"Command1", "Command3", "Command4", "Command5", "Command6", "Command7", "Command9",
          "Command10", "Command13", "Command14", "Command15", "Command16", "Command17", "Command18",
          "Command19", "Command20", "Command21", "Command22", "Command23"})
        QVERIFY2(window.button(QLatin1String(name)), name);
    QVERIFY(window.findChild<QListWidget *>(QStringLiteral("DBList1")));
    QVERIFY(window.findChild<QListWidget *>(QStringLiteral("DBList2")));
    QCOMPARE(window.answerBox()->objectName(), QStringLiteral("Mostrar"));
    QVERIFY(window.answerBox()->isReadOnly());
    QCOMPARE(window.answerBox()->parentWidget(), window.optionsPanel());

    window.show();
    QVERIFY(button(window, "Command5")->isHidden());
    QVERIFY(button(window, "Command7")->isHidden());
    QVERIFY(window.optionsPanel()->isHidden());
    QCOMPARE(window.windowTitle(), designTitle());
    QCOMPARE(window.palette().color(QPalette::Window), QColor(189, 206, 213));
    QCOMPARE(window.optionsPanel()->palette().color(QPalette::Window), QColor(189, 206, 213));
    QVERIFY(!window.windowIcon().isNull());

    if (window.logicalDpiX() != 96 || window.logicalDpiY() != 96)
        QSKIP("geometry is checked at 96 DPI only");
    QCOMPARE(window.size(), QSize(689, 311));
    QCOMPARE(button(window, "Command10")->geometry(), QRect(608, 288, 65, 20));
    QCOMPARE(button(window, "Command1")->geometry(), QRect(224, 288, 81, 20));
    QCOMPARE(window.creditNoteList()->geometry(), QRect(8, 168, 665, 108));
    QCOMPARE(button(window, "Command23")->geometry(), QRect(96, 104, 65, 20));
}

void GuiWindow::startsInNotificationAreaAndComesBack() {
    Fixture f;
    QVERIFY2(f.build(), qPrintable(f.error));
    auto *icon = new FakeIcon(true);
    frmImprimirFacturaROBOT window(*f.station, std::unique_ptr<NotificationIcon>(icon));
    window.show();
    QVERIFY(!f.station->prepared());

    // The first activation of the window does the preparation, once.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&window, &activate);
    QTRY_VERIFY(window.firstActivationDone());
    QVERIFY(f.station->prepared());
    QVERIFY(f.messages.messages.isEmpty());
    QVERIFY(window.isHidden());
    QVERIFY(icon->shown);
    QCOMPARE(icon->text, frmImprimirFacturaROBOT::notificationTip());
    QCOMPARE(window.windowTitle(), rifTitle);
    QVERIFY(f.station->robot.timerEnabled());

    emit icon->activated();
    QVERIFY(window.isVisible());
    QVERIFY(!window.isMinimized());
    QVERIFY(!icon->shown);

    // Coming back activates the window again: nothing of the first activation repeats.
    QApplication::sendEvent(&window, &activate);
    QCoreApplication::processEvents();
    window.firstActivation();
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), rifTitle);

    QTest::mouseClick(button(window, "Command4"), Qt::LeftButton);
    QVERIFY(window.isHidden());
    QVERIFY(icon->shown);
    emit icon->activated();
    QVERIFY(window.isVisible());

    // The title bar's minimise button goes to the notification area as well.
    window.showMinimized();
    QTRY_VERIFY(window.isHidden());
    QVERIFY(icon->shown);
    emit icon->activated();
    QVERIFY(window.isVisible());
    QVERIFY(!window.isMinimized());
    QVERIFY(!icon->shown);
}

void GuiWindow::withoutNotificationAreaOnlyMinimises() {
    Fixture f;
    QVERIFY2(f.build(), qPrintable(f.error));
    // The platform's own icon: the offscreen platform has no notification area.
    frmImprimirFacturaROBOT window(*f.station);
    QVERIFY(!window.notificationIcon().available());
    QSignalSpy ends(&window, &frmImprimirFacturaROBOT::programEnds);
    window.show();
    window.firstActivation();
    QCOMPARE(window.windowTitle(), rifTitle);
    QVERIFY(window.isVisible());
    QVERIFY(window.isMinimized());
    QVERIFY(!window.notificationIcon().isVisible());

    window.showNormal();
    QTest::mouseClick(button(window, "Command4"), Qt::LeftButton);
    QVERIFY(window.isVisible());
    QVERIFY(window.isMinimized());

    window.showNormal();
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QVERIFY(window.isMinimized());
    QCOMPARE(ends.count(), 0);
}

void GuiWindow::closingOnlyWhileStopped() {
    Fixture f;
    QVERIFY2(f.build(), qPrintable(f.error));
    auto *icon = new FakeIcon(true);
    frmImprimirFacturaROBOT window(*f.station, std::unique_ptr<NotificationIcon>(icon));
    QSignalSpy ends(&window, &frmImprimirFacturaROBOT::programEnds);
    window.show();
    window.firstActivation();
    emit icon->activated();

    QPushButton *command3 = button(window, "Command3");
    QPushButton *command10 = button(window, "Command10");
    QLabel *status = window.statusLabel();
    QCOMPARE(status->objectName(), QStringLiteral("Estado"));
    QCOMPARE(command3->text(), QStringLiteral("Detener"));
    QVERIFY(!command10->isEnabled());
    QVERIFY(status->isHidden());

    // The title bar's close while the robot runs only sends the window away.
    QVERIFY(!window.close());
    QVERIFY(window.isHidden());
    QVERIFY(icon->shown);
    QCOMPARE(ends.count(), 0);
    emit icon->activated();

    QTest::mouseClick(command3, Qt::LeftButton);
    QCOMPARE(command3->text(), QStringLiteral("Iniciar"));
    QVERIFY(!f.station->robot.timerEnabled());
    QVERIFY(command10->isEnabled());
    // The operator sees why nothing prints, in the window and on the icon.
    const QString stopped = f.station->robot.statusText();
    QVERIFY(!stopped.isEmpty());
    QVERIFY(status->isVisibleTo(&window));
    QCOMPARE(status->text(), stopped);
    QVERIFY(icon->text.startsWith(frmImprimirFacturaROBOT::notificationTip()));
    QVERIFY(icon->text.contains(stopped));
    // A long reason is cut in the label only.
    f.station->robot.noteStoppedAfterFailure(QStringLiteral("etapa 7: ") + QString(300, u'x'));
    const QString failure = f.station->robot.statusText();
    QCOMPARE(status->toolTip(), failure);
    QVERIFY(status->text() != failure);
    QVERIFY(status->fontMetrics().horizontalAdvance(status->text()) <= status->width());
    QVERIFY(icon->text.endsWith(failure));

    QTest::mouseClick(command3, Qt::LeftButton);
    QCOMPARE(command3->text(), QStringLiteral("Detener"));
    QVERIFY(f.station->robot.timerEnabled());
    QVERIFY(!command10->isEnabled());
    QVERIFY(status->isHidden());
    QCOMPARE(icon->text, frmImprimirFacturaROBOT::notificationTip());

    QTest::mouseClick(command3, Qt::LeftButton);
    QTest::mouseClick(command10, Qt::LeftButton);
    QCOMPARE(ends.count(), 1);
    QVERIFY(window.isHidden());
    QVERIFY(!icon->shown);
}

void GuiWindow::optionsPanelAndHabilitaControles() {
    Fixture f;
    QVERIFY2(f.build(), qPrintable(f.error));
    frmImprimirFacturaROBOT window(*f.station, std::make_unique<FakeIcon>(true));
    window.show();
    window.firstActivation();
    window.restoreFromNotificationArea();
    Robot &robot = f.station->robot;

    QTest::mouseClick(button(window, "Command13"), Qt::LeftButton);
    QVERIFY(window.optionsPanel()->isVisible());
    QVERIFY(robot.timerEnabled());
    QVERIFY(button(window, "Command3")->isEnabled());

    // A report taken while the operator had stopped the robot.
    QTest::mouseClick(button(window, "Command3"), Qt::LeftButton);
    window.HabilitaControles(false);
    QVERIFY(!robot.timerEnabled());
    for (const char *name : {"Command3", "Command4", "Command5", "Command6", "Command7"})
        QVERIFY2(!button(window, name)->isEnabled(), name);
    for (const char *name : {"Command1", "Command10", "Command13", "Command21", "Command22"})
        QVERIFY2(button(window, name)->isEnabled(), name);
    QVERIFY(button(window, "Command5")->isHidden());

    QTest::mouseClick(button(window, "Command9"), Qt::LeftButton);
    QVERIFY(window.optionsPanel()->isHidden());
    QVERIFY(robot.timerEnabled());
    for (const char *name : {"Command3", "Command4", "Command6"})
        QVERIFY2(button(window, name)->isEnabled(), name);
    QCOMPARE(button(window, "Command3")->text(), QStringLiteral("Iniciar"));
    QVERIFY(button(window, "Command10")->isEnabled());
    QVERIFY(button(window, "Command5")->isHidden());
    QVERIFY(button(window, "Command7")->isHidden());
}

void GuiWindow::listsFollowTheSources() {
    Fixture f;
    QVERIFY2(f.build(), qPrintable(f.error));
    frmImprimirFacturaROBOT window(*f.station, std::make_unique<FakeIcon>(true));
    window.firstActivation();

    const auto texts = [](const QListWidget *list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    };
    const auto expected = [](const QList<PendingDocument> &documents) {
        QStringList out;
        for (const auto &d : documents)
            out << d.vistaEspecial;
        return out;
    };
    PendingSources &sources = f.station->sources;
    QVERIFY(!sources.invoices().isEmpty());
    QCOMPARE(texts(window.invoiceList()), expected(sources.invoices()));
    QCOMPARE(texts(window.creditNoteList()), expected(sources.creditNotes()));

    // The refresh of every tick keeps the operator's selection.
    QListWidget *invoices = window.invoiceList();
    const int last = invoices->count() - 1;
    invoices->setCurrentRow(last);
    QVERIFY(sources.RefrescaListas());
    QCOMPARE(invoices->currentRow(), last);

    // Double-clicking a document only looks at it.
    QTest::mouseDClick(invoices->viewport(), Qt::LeftButton, {},
                       invoices->visualItemRect(invoices->item(last)).center());
    QCOMPARE(texts(invoices), expected(sources.invoices()));
}

void GuiWindow::incompleteConfigurationKeepsWindowInView() {
    Fixture f;
    QVERIFY2(f.build(QStringLiteral("[RIFCompañía] = NULL")), qPrintable(f.error));
    auto *icon = new FakeIcon(true);
    frmImprimirFacturaROBOT window(*f.station, std::unique_ptr<NotificationIcon>(icon));
    QSignalSpy ends(&window, &frmImprimirFacturaROBOT::programEnds);
    window.show();
    window.firstActivation();

    QCOMPARE(f.messages.messages.size(), 1);
    QVERIFY(!f.station->robot.timerEnabled());
    QCOMPARE(window.windowTitle(), designTitle());
    QVERIFY(window.isVisible());
    QVERIFY(!window.isMinimized());
    QVERIFY(!icon->shown);
    QVERIFY(window.statusLabel()->isVisibleTo(&window));
    QVERIFY(!window.statusLabel()->text().isEmpty());

    // Nothing can print, so the operator may close the program.
    QVERIFY(button(window, "Command10")->isEnabled());
    QTest::mouseClick(button(window, "Command10"), Qt::LeftButton);
    QCOMPARE(ends.count(), 1);
    QCOMPARE(f.messages.messages.size(), 1);
}

void GuiWindow::quantityModeFromConfiguration_data() {
    QTest::addColumn<QString>("verCantidad");
    QTest::addColumn<QString>("verCantidadDecimal");
    QTest::addColumn<int>("mode");
    QTest::newRow("whole") << "-1"
                           << "0" << 1;
    QTest::newRow("decimal") << "0"
                             << "-1" << 2;
    QTest::newRow("both") << "-1"
                          << "-1" << 3;
    QTest::newRow("neither") << "0"
                             << "0" << 0;
    QTest::newRow("whole null") << "NULL"
                                << "-1" << 0;
    QTest::newRow("decimal null") << "-1"
                                  << "NULL" << 0;
}

void GuiWindow::quantityModeFromConfiguration() {
    QFETCH(QString, verCantidad);
    QFETCH(QString, verCantidadDecimal);
    QFETCH(int, mode);
    Fixture f;
    QVERIFY2(f.build(QStringLiteral("[VerCantidad] = %1, [VerCantidadDecimal] = %2")
                         .arg(verCantidad, verCantidadDecimal)),
             qPrintable(f.error));
    frmImprimirFacturaROBOT window(*f.station, std::make_unique<FakeIcon>(true));
    window.firstActivation();
    QCOMPARE(int(f.station->robot.ModoCantidad), mode);
    QCOMPARE(window.windowTitle(), rifTitle);
}

void GuiWindow::runWindowedStationEndsWithCerrar() {
    Fixture f;
    QVERIFY2(f.build(), qPrintable(f.error));
    bool prepared = false;
    bool minimised = false;
    bool closedWhileRunning = true;
    // Posted before the front end's own first activation, so look one turn later.
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            frmImprimirFacturaROBOT *window = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *candidate = qobject_cast<frmImprimirFacturaROBOT *>(w))
                    window = candidate;
            if (!window) {
                QCoreApplication::exit(2);
                return;
            }
            prepared = window->firstActivationDone();
            minimised = window->isMinimized() && window->isVisible();
            closedWhileRunning = window->close();
            window->button(QStringLiteral("Command3"))->click();
            window->button(QStringLiteral("Command10"))->click();
        });
    });
    // Whatever goes wrong, the test must end.
    QTimer::singleShot(20000, [] { QCoreApplication::exit(3); });

    QCOMPARE(runWindowedStation(*f.station), 0);
    QVERIFY(prepared);
    QVERIFY(minimised);
    QVERIFY(!closedWhileRunning);
}

QTEST_MAIN(GuiWindow)
#include "gui_window.moc"
