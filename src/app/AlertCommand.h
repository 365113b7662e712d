#pragma once

#include "db/AlertSettings.h"

#include <QObject>
#include <QString>

namespace robot {

class StationLog;

// Runs the technician's command of robot-fiscal.ini ([Avisos] Comando) when an episode that
// needs a person starts and when it ends: no shell, split on blanks as FISCAL_PRINTER_BRIDGE
// is, what happened in its environment and on its standard input. The station never waits for
// it: a command still running at its limit is ended with what it started, and every outcome
// goes to the log.
class AlertCommand : public QObject {
    Q_OBJECT
public:
    AlertCommand(const AlertSettings &settings, qint32 caja, StationLog &log,
                 QObject *parent = nullptr);
    // Lets the commands still running finish within their limit: the end of an episode is
    // often the last thing a station that ends has to tell.
    ~AlertCommand() override;

    // `kind` as StationAlerts::name gives it.
    void run(const QString &kind, bool starts, const QString &message);

private:
    const AlertSettings settings;
    const qint32 caja;
    StationLog &log;
};

} // namespace robot
