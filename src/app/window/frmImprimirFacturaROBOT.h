#pragma once

#include "NotificationIcon.h"

#include <QWidget>
#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QListView;
class QPlainTextEdit;
class QPushButton;

namespace robot {

class Clock;
class FiscalCommands;
class FiscalPrinter;
class InformationQueries;
class OperatorMessages;
class PendingListModel;
class PendingSources;
class PrintJournal;
class Robot;
class ScheduledZReport;
class StationAlerts;
class StationLog;
struct Preparation;
struct Settings;

// What the window shows and drives; all owned by the station for the whole run.
struct WindowParts {
    const Settings &settings; // Caja, and the station's directory for the technician's tools
    Robot &robot;
    PendingSources &sources; // the two pending lists
    ScheduledZReport &zReport;
    StationAlerts &alerts;  // told in the notification area
    FiscalPrinter &printer; // the operator's commands and queries
    PrintJournal &journal;  // where the commands record their cancellations and reports
    OperatorMessages &messages;
    const Clock &clock;
    StationLog &log;
    // The station's preparation: `whenPrepared` runs once it completes, at once or later.
    std::function<void(std::function<void(const Preparation &)> whenPrepared)> prepare;
};

// The station's one window: the two pending lists, the operator's button row, the hidden
// options panel and the way to and from the notification area. The robot's state lives in
// the robot; the window turns it into captions and enabled buttons.
class frmImprimirFacturaROBOT : public QWidget {
    Q_OBJECT
public:
    // Without an icon of its own the window uses the platform's notification area.
    explicit frmImprimirFacturaROBOT(const WindowParts &parts,
                                     std::unique_ptr<NotificationIcon> icon = nullptr,
                                     QWidget *parent = nullptr);
    ~frmImprimirFacturaROBOT() override;

    // Stops or restarts the robot together with the buttons that must not be used meanwhile.
    void HabilitaControles(bool Estado);

    // The preparation from the database, the title with the company's RIF and the move to
    // the notification area. Runs once; later calls do nothing.
    void firstActivation();
    bool firstActivationDone() const { return activated; }
    // Where no notification area exists the window may have to stay in view (screenshots).
    void setMinimizeAtFirstActivation(bool minimize) { minimizeAtFirstActivation = minimize; }

    // To the notification area when there is one, else an ordinary minimised window.
    void Minimizar();
    void restoreFromNotificationArea();

    // The program may end only while the robot cannot print: stopped (by the operator, a
    // failure or an incomplete preparation) with no document or command in progress.
    bool closeAllowed() const;

    // The controls by their object names (Command1, Command14, ...), for the operator commands.
    QPushButton *button(const QString &objectName) const;
    QListView *invoiceList() const { return DBList2; }
    QListView *creditNoteList() const { return DBList1; }
    QGroupBox *optionsPanel() const { return Frame1; }
    QPlainTextEdit *answerBox() const { return Mostrar; }
    QLabel *statusLabel() const { return Estado; }
    NotificationIcon &notificationIcon() const { return *icon; }

    // The tip of the notification icon before any state is added to it.
    static QString notificationTip();

signals:
    // The window has closed for good; the program ends.
    void programEnds();

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The button of "Prueba n": Command14 to Command20, then Command23.
    static QString pruebaButton(int prueba);
    QRect twips(int left, int top, int width, int height) const;
    QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption,
                            const QString &tip, const QRect &geometry);
    void buildControls();
    void connectOperatorCommands();
    void applyColours();
    void refillLists();
    void showRobotState();

    const WindowParts parts;
    std::unique_ptr<NotificationIcon> icon;
    bool activated = false;
    bool minimizeAtFirstActivation = true;

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Estado = nullptr;
    QListView *DBList1 = nullptr;
    QListView *DBList2 = nullptr;
    PendingListModel *creditNoteRows = nullptr;
    PendingListModel *invoiceRows = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command9 = nullptr;
    QPushButton *Command10 = nullptr;
    QPushButton *Command13 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QPlainTextEdit *Mostrar = nullptr;

    std::unique_ptr<FiscalCommands> commands;
    std::unique_ptr<InformationQueries> queries;
};

} // namespace robot
