#pragma once

#include "core/Clock.h"

namespace robot {

// The real clock: waits on a monotonic timer, so a wait begun just before midnight still ends
// after its length, and keeps window events flowing while it waits.
class SystemClock : public Clock {
public:
    QDate today() const override;
    QDateTime currentDateTime() const override;
    void DelayMili(int hundredths) override;
    qint64 elapsedMs() const override;
};

} // namespace robot
