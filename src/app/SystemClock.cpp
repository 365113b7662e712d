#include "app/SystemClock.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace robot {

QDate SystemClock::today() const {
    return QDate::currentDate();
}

QDateTime SystemClock::currentDateTime() const {
    return QDateTime::currentDateTime();
}

void SystemClock::DelayMili(int hundredths) {
    if (hundredths <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(hundredths * 10, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

qint64 SystemClock::elapsedMs() const {
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

} // namespace robot
