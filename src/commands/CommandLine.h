#pragma once

#include "commands/Action.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <span>

namespace robot {

// The command line as read before any Qt application object exists, so that a wrong argument
// is answered before anything starts and the window/headless choice is known in advance.
struct CommandLine {
    // What this run does; null: the station runs the robot (window or headless).
    const Action *action = nullptr;
    // The action's value (--query N, --allow-reprint DOCUMENTO...), as its row took it.
    QString value;
    bool headless = false;
    bool exitWhenIdle = false;
    // Started by the desktop at login: a computer without a station stays quiet.
    bool autostart = false;
    // --dir; empty: the program's own directory.
    QString dir;
    // --conciliar's period (invalid: open) and CSV file (empty: none), named where the
    // technician stands.
    QDate from;
    QDate to;
    QString csv;
    // Why the arguments cannot be used, for the technician; empty when they can.
    QString problem;

    bool windowed() const { return !action && !headless; }
};

// `arguments` without the program's name; `actions` in the order --help shows them. The
// station's own options are declared once, in CommandLine.cpp, with their help.
CommandLine parseCommandLine(const QStringList &arguments, std::span<const Action> actions);

// The text of --help: every option and every action with its exit statuses.
QString commandLineHelp(std::span<const Action> actions);

} // namespace robot
