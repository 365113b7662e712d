#include "frmImprimirFacturaROBOT.h"

#include "NotificationIcon.h"
#include "app/Preparation.h"
#include "app/Station.h"
#include "commands/FiscalCommands.h"
#include "commands/InformationQueries.h"
#include "commands/StationCheck.h"
#include "core/OperatorMessages.h"
#include "core/StationLog.h"
#include "printer/FiscalPrinter.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

// Qt registers resources from the global namespace.
static void initWindowResources() {
    Q_INIT_RESOURCE(robot_window);
}

namespace robot {

namespace {

const QColor windowColour(189, 206, 213);

// White raised buttons, like the design's graphical buttons, on every platform style.
const char *buttonStyle = "QPushButton { background-color: white; color: black;"
                          " border-style: outset; border-width: 2px;"
                          " border-color: #f4f4f4 #6f6f6f #6f6f6f #f4f4f4; padding: 0px; }"
                          "QPushButton:pressed { border-style: inset;"
                          " border-color: #6f6f6f #f4f4f4 #f4f4f4 #6f6f6f; }"
                          "QPushButton:disabled { color: #8d8d8d; }"
                          "QPushButton:focus { outline: none; border-color: #f4f4f4 #303030"
                          " #303030 #f4f4f4; }";

QIcon stationIcon() {
    return QIcon(QStringLiteral(":/robot/printer.png"));
}

} // namespace

static void initResources() {
    // The resources live in a static library; nothing else pulls them into the program.
    initWindowResources();
}

frmImprimirFacturaROBOT::frmImprimirFacturaROBOT(Station &station,
                                                 std::unique_ptr<NotificationIcon> trayIcon,
                                                 QWidget *parent)
    : QWidget(parent), station(station), icon(std::move(trayIcon)) {
    initResources();
    setObjectName(QStringLiteral("frmImprimirFacturaROBOT"));
    setWindowTitle(designTitle());
    setWindowIcon(stationIcon());
    if (!icon)
        icon = std::make_unique<SystemNotificationIcon>(stationIcon());
    icon->setToolTip(notificationTip());
    connect(icon.get(), &NotificationIcon::activated, this,
            &frmImprimirFacturaROBOT::restoreFromNotificationArea);

    const QRect client = twips(100, 100, 10335, 4665);
    setFixedSize(client.size());
    move(client.topLeft());

    buildControls();
    applyColours();
    connectOperatorCommands();

    Robot &robot = station.robot;
    connect(&robot, &Robot::stateChanged, this, &frmImprimirFacturaROBOT::showRobotState);
    connect(&robot, &Robot::databaseProblem, this, &frmImprimirFacturaROBOT::showRobotState);
    connect(&robot, &Robot::databaseRecovered, this, &frmImprimirFacturaROBOT::showRobotState);
    connect(&station.sources, &PendingSources::listsChanged, this,
            &frmImprimirFacturaROBOT::refillLists);
    refillLists();
    showRobotState();
}

frmImprimirFacturaROBOT::~frmImprimirFacturaROBOT() = default;

QString frmImprimirFacturaROBOT::notificationTip() {
    return QStringLiteral("Robot de Facturación FISCAL - Bematech -");
}

QRect frmImprimirFacturaROBOT::twips(int left, int top, int width, int height) const {
    // Twips are 1/1440 inch; the design was laid out in them.
    const double dx = logicalDpiX() / 1440.0;
    const double dy = logicalDpiY() / 1440.0;
    return QRect(qRound(left * dx), qRound(top * dy), qRound(width * dx), qRound(height * dy));
}

QPushButton *frmImprimirFacturaROBOT::makeButton(QWidget *parent, const char *name,
                                                 const QString &caption, const QString &tip,
                                                 const QRect &geometry) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

void frmImprimirFacturaROBOT::buildControls() {
    Label2 = new QLabel(QStringLiteral("Listado de Facturas pendientes por impresión"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twips(120, 240, 9975, 255));

    DBList2 = new QListWidget(this);
    DBList2->setObjectName(QStringLiteral("DBList2"));
    DBList2->setGeometry(twips(120, 480, 9975, 1620));

    Label1 = new QLabel(QStringLiteral("Listado de Notas pendientes por impresión"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(120, 2280, 9975, 255));

    DBList1 = new QListWidget(this);
    DBList1->setObjectName(QStringLiteral("DBList1"));
    DBList1->setGeometry(twips(120, 2520, 9975, 1620));

    for (QListWidget *list : {DBList1, DBList2}) {
        // The lists only show what is pending; nothing in them is edited or acted on.
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
    }

    // Right-aligned over the empty end of the invoice heading, so the design's layout stays.
    Estado = new QLabel(this);
    Estado->setObjectName(QStringLiteral("Estado"));
    Estado->setGeometry(twips(4200, 240, 5895, 255));
    Estado->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Estado->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold;"));
    Estado->hide();

    makeButton(this, "Command6", QStringLiteral("Cierre Z"),
               QStringLiteral("Haga click aquí para imprimir el cierre diario Z"),
               twips(120, 4320, 975, 300));
    makeButton(this, "Command21", QStringLiteral("Cierre X"),
               QStringLiteral("Haga click aquí para imprimir el cierre diario X"),
               twips(1200, 4320, 975, 300));
    makeButton(this, "Command22", QStringLiteral("Abrir G"), {}, twips(2280, 4320, 975, 300));
    makeButton(this, "Command1", QStringLiteral("Anula Cupon"), {}, twips(3360, 4320, 1215, 300));
    Command13 =
        makeButton(this, "Command13", QStringLiteral("Opciones"), {}, twips(4680, 4320, 975, 300));
    Command4 =
        makeButton(this, "Command4", QStringLiteral("Minimizar"), {}, twips(6960, 4320, 975, 300));
    Command3 = makeButton(this, "Command3", QStringLiteral("Detener"),
                          QStringLiteral("Haga click aquí para Detener/Iniciar"),
                          twips(8040, 4320, 975, 300));
    Command10 = makeButton(this, "Command10", QStringLiteral("Cerrar"),
                           QStringLiteral("Haga click aquí para cerrar el formulario"),
                           twips(9120, 4320, 975, 300));
    Command10->setEnabled(false);
    Command6 = button(QStringLiteral("Command6"));

    // Never shown; they only follow HabilitaControles.
    Command5 = makeButton(this, "Command5", QStringLiteral("Estatus"), {}, QRect());
    Command7 = makeButton(this, "Command7", QStringLiteral("Opciones"), {}, QRect());
    Command5->hide();
    Command7->hide();

    Frame1 = new QGroupBox(QStringLiteral("Opciones"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(120, 0, 10095, 4630));
    const QString optionsTip = QStringLiteral("Haga click aquí para ver las opciones");
    const char *leftColumn[] = {"Command14", "Command15", "Command16", "Command17"};
    const char *rightColumn[] = {"Command18", "Command19", "Command20", "Command23"};
    // Each "Prueba" says what it asks the printer: "ver las opciones" told the operator nothing.
    for (int row = 0; row < 4; ++row) {
        const int top = 480 + row * 360;
        makeButton(Frame1, leftColumn[row], InformationQueries::caption(row + 1),
                   InformationQueries::question(row + 1), twips(240, top, 975, 300));
        makeButton(Frame1, rightColumn[row], InformationQueries::caption(row + 5),
                   InformationQueries::question(row + 5), twips(1440, top, 975, 300));
    }
    // The technician's check, beside the queries it shares the printer with.
    makeButton(Frame1, "Diagnostico", robot::StationCheck::title(),
               QStringLiteral("Haga click aquí para comprobar la estación sin imprimir nada"),
               twips(2640, 480, 1215, 300));
    Mostrar = new QPlainTextEdit(Frame1);
    Mostrar->setObjectName(QStringLiteral("Mostrar"));
    Mostrar->setGeometry(twips(240, 1920, 9495, 2055));
    Mostrar->setReadOnly(true);
    Mostrar->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Mostrar->setToolTip(QStringLiteral("Respuesta de la impresora a la última prueba (3 a 8)"));
    Command9 = makeButton(Frame1, "Command9", QStringLiteral("Continuar"), optionsTip,
                          twips(8880, 4200, 975, 300));
    Frame1->raise();
    Frame1->hide();

    connect(Command3, &QPushButton::clicked, this, [this] {
        Robot &robot = station.robot;
        if (robot.running())
            robot.stopByOperator();
        else
            robot.startByOperator();
        showRobotState();
    });
    connect(Command13, &QPushButton::clicked, Frame1, &QWidget::show);
    connect(Command9, &QPushButton::clicked, this, [this] {
        Frame1->hide();
        HabilitaControles(true);
        station.log.write(QStringLiteral("Opciones cerradas con «Continuar»: el robot funciona."));
    });
    connect(Command4, &QPushButton::clicked, this, &frmImprimirFacturaROBOT::Minimizar);
    connect(Command10, &QPushButton::clicked, this, &QWidget::close);
}

void frmImprimirFacturaROBOT::connectOperatorCommands() {
    commands = std::make_unique<FiscalCommands>(*station.printer, station.messages,
                                                [this](bool Estado) { HabilitaControles(Estado); });
    commands->recordCancellationsIn(&station.journal);
    commands->logTo(&station.log);
    queries = std::make_unique<InformationQueries>(*station.printer, station.messages);
    queries->logTo(&station.log);

    // Never in the middle of a document: the robot runs them right after it.
    const auto onClick = [this](const QString &name, std::function<void()> command) {
        connect(button(name), &QPushButton::clicked, this, [this, command = std::move(command)] {
            station.robot.runCommand(command);
            showRobotState();
        });
    };
    onClick(QStringLiteral("Command6"), [this] {
        commands->CierreZPreguntando(station.sources.invoices().size() +
                                     station.sources.creditNotes().size());
    });
    onClick(QStringLiteral("Command21"), [this] { commands->CierreX(); });
    onClick(QStringLiteral("Command22"), [this] { commands->AbrirGaveta(); });
    onClick(QStringLiteral("Command1"), [this] { commands->AnulaCupon(); });

    for (int prueba = InformationQueries::kFirst; prueba <= InformationQueries::kLast; ++prueba) {
        onClick(InformationQueries::buttonName(prueba), [this, prueba] {
            if (const std::optional<QString> answer = queries->Prueba(prueba))
                Mostrar->setPlainText(*answer);
        });
    }
    onClick(QStringLiteral("Diagnostico"), [this] {
        robot::StationCheck check(station.settings.RutaAplicacion, *station.printer);
        // This program took the lock at start-up.
        check.setLockHeldByThisStation(true);
        const QList<robot::CheckLine> lines = check.run();
        station.messages.show(robot::StationCheck::report(lines),
                              robot::StationCheck::passed(lines) ? MessageIcon::Information
                                                                 : MessageIcon::Critical,
                              robot::StationCheck::title());
    });
    // The lists have no double-click reaction on purpose: acting on a pending document from
    // there could cancel a coupon the robot is printing.
}

void frmImprimirFacturaROBOT::applyColours() {
    QPalette own = palette();
    own.setColor(QPalette::Window, windowColour);
    setPalette(own);
    setAutoFillBackground(true);

    // The panel covers the lists while open, so it paints its own background.
    QPalette panel = Frame1->palette();
    panel.setColor(QPalette::Window, windowColour);
    Frame1->setPalette(panel);
    Frame1->setAutoFillBackground(true);

    QPalette list = DBList1->palette();
    list.setColor(QPalette::Base, QPalette().color(QPalette::Base));
    DBList1->setPalette(list);

    setStyleSheet(QString::fromLatin1(buttonStyle));
}

QPushButton *frmImprimirFacturaROBOT::button(const QString &objectName) const {
    return findChild<QPushButton *>(objectName);
}

void frmImprimirFacturaROBOT::HabilitaControles(bool Estado) {
    // The robot runs afterwards even if it was stopped before the command.
    station.robot.holdForCommand(!Estado);
    if (Estado)
        station.robot.startByOperator();
    for (QPushButton *b : {Command3, Command4, Command5, Command6, Command7})
        b->setEnabled(Estado);
    showRobotState();
}

bool frmImprimirFacturaROBOT::closeAllowed() const {
    const Robot &robot = station.robot;
    return activated && !robot.running() && !robot.busy();
}

void frmImprimirFacturaROBOT::showRobotState() {
    const Robot &robot = station.robot;
    Command3->setText(robot.running() ? QStringLiteral("Detener") : QStringLiteral("Iniciar"));
    Command10->setEnabled(closeAllowed());

    const QString status = robot.statusText();
    // A failure summary or a database error can be long: the label shows what fits, its
    // tooltip and the icon's tip the whole text.
    Estado->setText(Estado->fontMetrics().elidedText(status, Qt::ElideRight, Estado->width()));
    Estado->setToolTip(status);
    Estado->setVisible(!status.isEmpty());
    icon->setToolTip(status.isEmpty() ? notificationTip() : notificationTip() + u'\n' + status);
}

void frmImprimirFacturaROBOT::fill(QListWidget *list, const QList<PendingDocument> &documents) {
    // Refilled every second: leave an unchanged list alone so the operator's selection and
    // scrolling survive the ticks.
    bool same = list->count() == documents.size();
    for (int i = 0; same && i < documents.size(); ++i) {
        const QListWidgetItem *item = list->item(i);
        same = item->data(Qt::UserRole).toInt() == documents[i].codigo &&
               item->text() == documents[i].vistaEspecial;
    }
    if (same)
        return;

    const QListWidgetItem *current = list->currentItem();
    const QVariant selected = current ? current->data(Qt::UserRole) : QVariant();
    list->clear();
    for (const PendingDocument &document : documents) {
        auto *item = new QListWidgetItem(document.vistaEspecial, list);
        item->setData(Qt::UserRole, document.codigo);
        if (selected.isValid() && selected.toInt() == document.codigo)
            list->setCurrentItem(item);
    }
}

void frmImprimirFacturaROBOT::refillLists() {
    fill(DBList2, station.sources.invoices());
    fill(DBList1, station.sources.creditNotes());
}

void frmImprimirFacturaROBOT::firstActivation() {
    if (activated)
        return;
    activated = true;

    station.whenPrepared = [this](const Preparation &preparation) {
        if (minimizeAtFirstActivation)
            Minimizar();
        setWindowTitle(titleWithRif(windowTitle(), preparation.rifDecorado));
    };
    station.prepare();
    // An incomplete preparation leaves the window in view: the operator has to read why the
    // robot does not run and be able to close the program.
    showRobotState();
}

void frmImprimirFacturaROBOT::Minimizar() {
    if (icon->available()) {
        icon->setVisible(true);
        hide();
    } else {
        // With no notification area a hidden window could never be brought back.
        showMinimized();
    }
}

void frmImprimirFacturaROBOT::restoreFromNotificationArea() {
    showNormal();
    raise();
    activateWindow();
    icon->setVisible(false);
}

bool frmImprimirFacturaROBOT::event(QEvent *e) {
    if (e->type() == QEvent::WindowActivate && !activated) {
        // Deferred: the preparation may show a message, which must not run inside the
        // activation itself.
        QTimer::singleShot(0, this, &frmImprimirFacturaROBOT::firstActivation);
    }
    return QWidget::event(e);
}

void frmImprimirFacturaROBOT::changeEvent(QEvent *e) {
    QWidget::changeEvent(e);
    // The title bar's minimise button goes to the notification area too.
    if (e->type() == QEvent::WindowStateChange && isMinimized() && isVisible() &&
        icon->available()) {
        QTimer::singleShot(0, this, [this] {
            if (isMinimized() && isVisible())
                Minimizar();
        });
    }
}

void frmImprimirFacturaROBOT::closeEvent(QCloseEvent *e) {
    if (!closeAllowed()) {
        // A close from the title bar or the window manager must not end an unattended robot
        // that may be printing.
        e->ignore();
        Minimizar();
        return;
    }
    icon->setVisible(false);
    e->accept();
    emit programEnds();
}

} // namespace robot
