#pragma once

#include <QDate>
#include <QDateTime>
#include <QStringView>

namespace robot {

// The date at the start of `text` written "yyyy-MM-dd" (what the journal and the embedded
// database keep); invalid otherwise. Qt's general parser costs several times more, and the
// reconciliation reads a million of them.
inline QDate leadingIsoDate(QStringView text) {
    if (text.size() < 10 || text[4] != u'-' || text[7] != u'-')
        return {};
    auto number = [&](qsizetype from, qsizetype to) {
        int value = 0;
        for (qsizetype i = from; i < to; ++i) {
            if (text[i] < u'0' || text[i] > u'9')
                return -1;
            value = value * 10 + (text[i].unicode() - u'0');
        }
        return value;
    };
    const int year = number(0, 4), month = number(5, 7), day = number(8, 10);
    if (year < 0 || month < 0 || day < 0)
        return {};
    return QDate(year, month, day);
}

// A local date and time. Qt asks the C library for the time zone at every local QDateTime it
// makes (microseconds each, a file looked at each time): the offset from UTC is asked once per
// hour of a day instead, and the journal's times come in order.
inline QDateTime localDateTime(const QDate &date, const QTime &time) {
    static thread_local QDate offsetDate;
    static thread_local int offsetHour = -1;
    static thread_local int offset = 0;
    if (date != offsetDate || time.hour() != offsetHour) {
        offsetDate = date;
        offsetHour = time.hour();
        offset = QDateTime(date, QTime(offsetHour, 0)).offsetFromUtc();
    }
    return QDateTime(date, time, Qt::OffsetFromUTC, offset);
}

// "yyyy-MM-ddTHH:mm:ss", as the journal writes its times; anything else through Qt's parser.
inline QDateTime isoDateTime(QStringView text) {
    const QDate date = leadingIsoDate(text);
    if (!date.isValid() || text.size() != 19 || text[10] != u'T')
        return QDateTime::fromString(text.toString(), Qt::ISODate);
    const QTime time(text.mid(11, 2).toInt(), text.mid(14, 2).toInt(), text.mid(17, 2).toInt());
    return time.isValid() ? localDateTime(date, time) : QDateTime(date, time);
}

} // namespace robot
