#include "frmImprimirFacturaROBOT.h"

#include "NotificationIcon.h"
#include "PendingListModel.h"
#include "app/Preparation.h"
#include "app/ScheduledZReport.h"
#include "app/Station.h"
#include "app/StationCheck.h"
#include "app/TechnicianActions.h"
#include "commands/FiscalCommands.h"
#include "commands/InformationQueries.h"
#include "commands/StationReconciliation.h"
#include "core/OperatorMessages.h"
#include "core/StationLog.h"
#include "platform/Archive.h"
#include "printer/FiscalPrinter.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>

// Qt registers resources from the global namespace.
static void initWindowResources() {
    Q_INIT_RESOURCE(robot_window);
}

namespace robot {

namespace {

QIcon stationIcon() {
    return QIcon(QStringLiteral(":/robot/printer.png"));
}

} // namespace

static void initResources() {
    // The resources live in a static library; nothing else pulls them into the program.
    initWindowResources();
}

frmImprimirFacturaROBOT::frmImprimirFacturaROBOT(const WindowParts &parts,
                                                 std::unique_ptr<NotificationIcon> trayIcon,
                                                 QWidget *parent)
    : QWidget(parent), parts(parts), icon(std::move(trayIcon)) {
    initResources();
    setObjectName(QStringLiteral("frmImprimirFacturaROBOT"));
    setWindowTitle(designTitle());
    setWindowIcon(stationIcon());
    if (!icon)
        icon = std::make_unique<SystemNotificationIcon>(stationIcon());
    icon->setToolTip(notificationTip());
    connect(icon.get(), &NotificationIcon::activated, this,
            &frmImprimirFacturaROBOT::restoreFromNotificationArea);

    const QRect client = twips(100, 100, 10335, 5490); // the design's, and the status lines
    setFixedSize(client.size());
    move(client.topLeft());

    buildControls();
    applyColours();
    connectOperatorCommands();

    Robot &robot = parts.robot;
    connect(&robot, &Robot::stateChanged, this, &frmImprimirFacturaROBOT::showRobotState);
    connect(&robot, &Robot::databaseProblem, this, &frmImprimirFacturaROBOT::showRobotState);
    connect(&robot, &Robot::databaseRecovered, this, &frmImprimirFacturaROBOT::showRobotState);
    connect(&parts.zReport, &ScheduledZReport::stateChanged, this,
            &frmImprimirFacturaROBOT::showRobotState);
    connect(&parts.sources, &PendingSources::listsChanged, this,
            &frmImprimirFacturaROBOT::refillLists);
    // Once per episode, at its start: the window is usually hidden in the notification area.
    connect(&parts.alerts, &StationAlerts::episode, this,
            [this](StationAlerts::Kind kind, bool starts, const QString &message) {
                if (starts)
                    icon->showMessage(StationAlerts::title(kind), message);
            });
    refillLists();
    showRobotState();
}

frmImprimirFacturaROBOT::~frmImprimirFacturaROBOT() = default;

QString frmImprimirFacturaROBOT::notificationTip() {
    return QStringLiteral("Robot de Facturación FISCAL - Bematech -");
}

void frmImprimirFacturaROBOT::connectOperatorCommands() {
    commands = std::make_unique<FiscalCommands>(parts.printer, parts.messages,
                                                [this](bool Estado) { HabilitaControles(Estado); });
    commands->recordCancellationsIn(&parts.journal);
    commands->recordReportsIn(&parts.journal, parts.settings.Caja, parts.clock);
    commands->logTo(&parts.log);
    queries = std::make_unique<InformationQueries>(parts.printer, parts.messages);
    queries->logTo(&parts.log);

    // Never in the middle of a document: the robot runs them right after it, and the status
    // line says so at once under the button's own name.
    const auto onClick = [this](const QString &name, std::function<void()> command) {
        QPushButton *clicked = button(name);
        connect(clicked, &QPushButton::clicked, this,
                [this, clicked, command = std::move(command)] {
                    parts.robot.runCommand(command, QStringLiteral("«%1»").arg(clicked->text()));
                    showRobotState();
                });
    };
    onClick(QStringLiteral("Command6"), [this] {
        commands->CierreZPreguntando([this] { return parts.sources.pendingNow(); });
    });
    onClick(QStringLiteral("Command21"), [this] { commands->CierreX(); });
    onClick(QStringLiteral("Command22"), [this] { commands->AbrirGaveta(); });
    onClick(QStringLiteral("Command1"), [this] { commands->AnulaCupon(); });

    for (int prueba = InformationQueries::kFirst; prueba <= InformationQueries::kLast; ++prueba) {
        onClick(pruebaButton(prueba), [this, prueba] {
            if (const std::optional<QString> answer = queries->Prueba(prueba))
                Mostrar->setPlainText(*answer);
        });
    }
    onClick(QStringLiteral("Diagnostico"), [this] {
        checkRunningStation(parts.settings.RutaAplicacion, parts.printer, parts.messages);
    });
    onClick(QStringLiteral("Conciliacion"), [this] {
        QString report;
        QTextStream out(&report);
        runReconciliation(reconciliationSources(parts.settings), parts.printer, {}, {}, {}, out);
        Mostrar->setPlainText(report);
    });
    onClick(QStringLiteral("PaqueteSoporte"), [this] {
        const QString archive = QDir(parts.settings.RutaAplicacion)
                                    .filePath(QStringLiteral("robot-fiscal-soporte-%1%2")
                                                  .arg(QDateTime::currentDateTime().toString(
                                                           QStringLiteral("yyyyMMdd-HHmmss")),
                                                       platform::archiveSuffix()));
        QString told;
        QTextStream out(&told);
        const ExitCode written = writeSupportBundleOf(parts.settings, parts.printer, archive, out);
        parts.log.add(written == ExitCode::Done ? LogLevel::Info : LogLevel::Error, told.trimmed());
        parts.messages.show(told.trimmed(),
                            written == ExitCode::Done ? MessageIcon::Information
                                                      : MessageIcon::Critical,
                            QStringLiteral("Paquete de soporte"));
    });
    // The lists have no double-click reaction on purpose: acting on a pending document from
    // there could cancel a coupon the robot is printing.
}

QPushButton *frmImprimirFacturaROBOT::button(const QString &objectName) const {
    return findChild<QPushButton *>(objectName);
}

void frmImprimirFacturaROBOT::HabilitaControles(bool Estado) {
    // The robot runs afterwards even if it was stopped before the command.
    parts.robot.holdForCommand(!Estado);
    if (Estado)
        parts.robot.startByOperator();
    for (QPushButton *b : {Command3, Command4, Command5, Command6, Command7})
        b->setEnabled(Estado);
    showRobotState();
}

bool frmImprimirFacturaROBOT::closeAllowed() const {
    const Robot &robot = parts.robot;
    return activated && !robot.running() && !robot.busy();
}

void frmImprimirFacturaROBOT::showRobotState() {
    const Robot &robot = parts.robot;
    Command3->setText(robot.running() ? QStringLiteral("Detener") : QStringLiteral("Iniciar"));
    Command10->setEnabled(closeAllowed());

    // What needs the operator, in red; else what the robot is doing.
    const QString status = stationStatusText(parts.robot, parts.zReport);
    const QString activity = parts.robot.activityText();
    const QString shown = status.isEmpty()     ? activity
                          : activity.isEmpty() ? status
                                               : status + u' ' + activity;
    Estado->setText(shown);
    Estado->setToolTip(shown);
    // Set only when it changes: the line is shown again every second the lists are read, and
    // a new style sheet re-polishes the label.
    const QString style = status.isEmpty() ? QStringLiteral("color: palette(window-text);")
                                           : QStringLiteral("color: #a00000; font-weight: bold;");
    if (Estado->styleSheet() != style)
        Estado->setStyleSheet(style);
    Estado->setVisible(!shown.isEmpty());
    icon->setToolTip(shown.isEmpty() ? notificationTip() : notificationTip() + u'\n' + shown);
}

void frmImprimirFacturaROBOT::refillLists() {
    invoiceRows->show(parts.sources.invoices());
    creditNoteRows->show(parts.sources.creditNotes());
    showRobotState(); // what is pending is part of it
}

void frmImprimirFacturaROBOT::firstActivation() {
    if (activated)
        return;
    activated = true;

    parts.prepare([this](const Preparation &preparation) {
        // A document the journal holds back (a coupon a crash left open) waits for the
        // operator's «Anula Cupon»: the window its message names stays in view.
        if (minimizeAtFirstActivation && !parts.robot.documentsHeldBack())
            Minimizar();
        setWindowTitle(titleWithRif(windowTitle(), preparation.rifDecorado));
    });
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
