#pragma once

#include "documents/Clock.h"

#include <QCoreApplication>

// A fixed date and pauses that only let queued events run, so tests never wait.
class InstantClock : public Clock {
public:
    QDate today() const override { return date; }
    void DelayMili(int hundredths) override {
        pauses.append(hundredths);
        QCoreApplication::processEvents();
    }
    QDate date{2026, 12, 6};
    QList<int> pauses;
};
