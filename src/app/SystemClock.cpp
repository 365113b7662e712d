#include "app/SystemClock.h"

#include <QEventLoop>
#include <QTimer>

QDate SystemClock::today() const {
    return QDate::currentDate();
}

void SystemClock::DelayMili(int hundredths) {
    if (hundredths <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(hundredths * 10, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
