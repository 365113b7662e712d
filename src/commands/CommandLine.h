#pragma once

#include "core/DocumentKind.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace robot {

// What one run of the program does. Station runs the robot (window or headless); the others
// do one thing and end.
enum class Action {
    Station,
    Help,
    Version,
    ReportX,
    ReportZ,
    CancelCoupon,
    OpenDrawer,
    Query,
    AllowReprint,
    NewJournal,
    Check,
    Reconcile,
    Status,
    SupportBundle,
};

// The command line as read before any Qt application object exists, so that a wrong argument
// is answered before anything starts and the window/headless choice is known in advance.
struct CommandLine {
    Action action = Action::Station;
    bool headless = false;
    bool exitWhenIdle = false;
    // Started by the desktop at login: a computer without a station stays quiet.
    bool autostart = false;
    // --dir; empty: the program's own directory.
    QString dir;
    // --query N, 1 to 8.
    int query = 0;
    // --allow-reprint factura:N | nota:N
    DocumentKind reprintKind = DocumentKind::Factura;
    qint64 reprintCodigo = 0;
    // --conciliar's period (invalid: open) and CSV file (empty: none).
    QDate from;
    QDate to;
    QString csv;
    // --paquete-soporte ARCHIVO
    QString bundle;
    // Why the arguments cannot be used, for the technician; empty when they can.
    QString problem;

    bool windowed() const { return action == Action::Station && !headless; }
};

// `arguments` without the program's name. Every option the program knows is declared once,
// in CommandLine.cpp, with its help.
CommandLine parseCommandLine(const QStringList &arguments);

// The text of --help: every option and every action with its exit statuses.
QString commandLineHelp();

// The printer actions (reports, cancellation, drawer, queries) open no database and run no
// robot.
bool isPrinterAction(Action action);
// Of those, the ones that change what the printer holds, so they must not meet a station.
bool changesPrinter(Action action);

} // namespace robot
