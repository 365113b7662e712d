#pragma once

#include "db/StationStatus.h"

#include <QObject>
#include <QTimer>

namespace robot {

class Station;

// Keeps this station's row on its database server: written when what it shows changes and at
// least every 30 s as a sign of life, on the connection the pending lists are read through. A
// row that cannot be written is logged once and tried again; printing never waits for it.
class StatusPublisher : public QObject {
public:
    explicit StatusPublisher(Station &station);
    // A station closed in order says so in its row.
    ~StatusPublisher() override;

    static constexpr int kSignOfLifeMs = 30000;

private:
    StationStatus current() const;
    // Several changes within one turn of the event loop make one write.
    void schedule();
    void publish(bool signOfLife);

    Station &station;
    QString paper = QStringLiteral("desconocido"); // until the printer's status is read
    QTimer signOfLife;
    bool scheduled = false;
    bool written = false;
    bool failing = false;
    StationStatus last;
    QString lastMessage;
};

} // namespace robot
