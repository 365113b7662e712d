#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <optional>

namespace robot {

// Values kept for the whole run under a text, from any thread. RutaBaseDatos travels through
// the station as a text a log may show; what it stands for (a server's password, an ODBC
// source's full connection string) waits here instead.
template <typename Value> class KeptByText {
public:
    void keep(const QString &text, const Value &value) {
        QMutexLocker locker(&mutex);
        values.insert(text, value);
    }
    void forget(const QString &text) {
        QMutexLocker locker(&mutex);
        values.remove(text);
    }
    std::optional<Value> find(const QString &text) const {
        QMutexLocker locker(&mutex);
        const auto found = values.constFind(text);
        if (found == values.constEnd())
            return std::nullopt;
        return *found;
    }

private:
    mutable QMutex mutex;
    QHash<QString, Value> values;
};

} // namespace robot
