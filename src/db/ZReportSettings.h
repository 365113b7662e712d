#pragma once

#include <QString>
#include <QTime>

namespace robot {

// [ReporteZ] Hora=HH:MM in robot-fiscal.ini: the time the station prints the day's Z report by
// itself. Off when the file or the section is not there.
struct ZReportSchedule {
    QTime hora;      // invalid: no Z report of its own
    QString message; // why the section was refused, for the operator; the schedule is then off
};

ZReportSchedule scheduledZReport(const QString &directory);

} // namespace robot
