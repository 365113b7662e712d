#pragma once

#include "db/StationStatus.h"

#include <QObject>
#include <QTimer>

namespace robot {

class FiscalPrinter;
class PendingSources;
class Robot;
class StationLog;

// Keeps this station's row on its database server: written when what it shows changes and at
// least every 30 s as a sign of life, on the connection the pending lists are read through. A
// row that cannot be written is logged once and tried again; printing never waits for it.
class StatusPublisher : public QObject {
public:
    // The row shows the robot's state, the sources' pending documents and the paper the
    // printer's status tells of, for `caja`.
    StatusPublisher(const Robot &robot, PendingSources &sources, FiscalPrinter &printer,
                    qint32 caja, StationLog &log);
    // A station closed in order says so in its row.
    ~StatusPublisher() override;

    static constexpr int kSignOfLifeMs = 30000;

private:
    StationStatus current() const;
    // Several changes within one turn of the event loop make one write.
    void schedule();
    void publish(bool signOfLife);

    const Robot &robot;
    PendingSources &sources;
    FiscalPrinter &printer;
    const qint32 caja;
    StationLog &log;
    QString paper = QStringLiteral("desconocido"); // until the printer's status is read
    QTimer signOfLife;
    bool scheduled = false;
    bool written = false;
    bool failing = false;
    StationStatus last;
    QString lastMessage;
};

} // namespace robot
