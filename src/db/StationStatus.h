#pragma once

#include "core/Result.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace robot {

class ServerSession;

// What a station on a database server tells about itself, so that every till can be watched
// from one place: one row per Caja in the program's own schema robot_fiscal, never in the back
// office's tables.
struct StationStatus {
    qint32 caja = 0;
    QString computer;
    QString version;
    // imprimiendo, en espera, detenido, detenido por falla, documento retenido
    QString state;
    QString document; // the document in progress; empty when none
    QString message;  // the station's last message
    int pending = 0;
    QString paper;
    // Read back only: the server's time of the row's last write, and how long ago that was on
    // the server's own clock (the stations' clocks may disagree).
    QDateTime lastSign;
    qint64 silentSeconds = 0;

    bool sameAs(const StationStatus &other) const {
        return caja == other.caja && computer == other.computer && version == other.version &&
               state == other.state && document == other.document && message == other.message &&
               pending == other.pending && paper == other.paper;
    }
};

// Writes `status` as its Caja's row through the station's session on its server, with the
// server's time as its last sign of life; the schema and table are created the first time. A
// failure with the server's reason when it cannot.
Result<void> writeStationStatus(ServerSession &session, const StationStatus &status);

// Every station's row on the server at `address` (as RutaBaseDatos carries it), by Caja; an
// empty list when no station has written one yet; why not, when unreadable.
Result<QList<StationStatus>> readStationStatuses(const QString &address);

} // namespace robot
