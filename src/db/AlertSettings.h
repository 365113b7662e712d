#pragma once

#include "core/Result.h"

#include <QString>

namespace robot {

// The [Avisos] section of robot-fiscal.ini: when the station needs a person, the command it
// runs and how long documents may wait without one printing.
//
//   [Avisos]
//   Comando=/usr/local/bin/avisar-tecnico --urgente
//   Minutos=5
//   Limite=30
struct AlertSettings {
    QString command;       // split on blanks when run; empty: only the tray's notification
    int waitMinutes = 5;   // documents waiting this long with none printed need a person
    int limitSeconds = 30; // a command still running then is ended
};

// The settings of robot-fiscal.ini in `directory`; the defaults without the file or the
// section; the operator's message for a value that cannot be used.
Result<AlertSettings> readAlertSettings(const QString &directory);

} // namespace robot
