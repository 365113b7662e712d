#pragma once

#include <QString>

namespace robot {

// What the printing procedures may touch of the robot: its timer and the shared form values.
class RobotControl {
public:
    virtual ~RobotControl() = default;
    virtual void setTimerEnabled(bool enabled) = 0;
    virtual bool timerEnabled() const = 0;
    // A printing procedure that leaves the robot stopped says why, in a few words.
    virtual void noteStoppedAfterFailure(const QString &summary) = 0;
    // Documents the print journal still holds back, in a line for the operator (empty if none);
    // `holdsPrinting` while no new document may be started until the printer tells more.
    virtual void noteJournal(const QString &notice, bool holdsPrinting) = 0;

    // Código of the last pending document taken for printing, printed or not; 0 at start-up
    // (and when a station without a window resumes after a failure). Full width: a code cut
    // to 32 bits would stand for another document.
    qint64 UltimoCodigo = 0;
    // 1: whole quantities (Cantidad); 2 or 3: decimal quantities (CantDec); 0: neither.
    qint16 ModoCantidad = 0;
    // No operator at the station (no window): a coupon of the station's own document left
    // open by an interruption is cancelled by the station, and the document printed again.
    bool unattended = false;
};

} // namespace robot
