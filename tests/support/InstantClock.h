#pragma once

#include "core/Clock.h"

#include <QCoreApplication>

namespace robot {

// A fixed date and time, and pauses that only let queued events run, so tests never wait.
class InstantClock : public Clock {
public:
    QDate today() const override { return date; }
    QDateTime currentDateTime() const override { return QDateTime(date, time); }
    void DelayMili(int hundredths) override {
        pauses.append(hundredths);
        now += hundredths * 10;
        QCoreApplication::processEvents();
    }
    qint64 elapsedMs() const override { return now; }
    QDate date{2026, 12, 6};
    QTime time{12, 0};
    qint64 now = 0; // advanced by every pause
    QList<int> pauses;
};

} // namespace robot
