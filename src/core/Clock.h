#pragma once

#include <QDate>
#include <QDateTime>

namespace robot {

// Today's date and time, a monotonic time and the event-processing pause, replaceable so tests run
// without waiting.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    // The date and time of day (the scheduled Z report, the reports' times in the journal).
    virtual QDateTime currentDateTime() const = 0;
    // Waits `hundredths` hundredths of a second while window events go on being handled.
    virtual void DelayMili(int hundredths) = 0;
    // Milliseconds on a clock that never goes back, for spacing retries.
    virtual qint64 elapsedMs() const = 0;
};

} // namespace robot
