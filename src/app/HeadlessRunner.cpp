#include "app/HeadlessRunner.h"

#include "app/Station.h"
#include "core/OperatorMessages.h"
#include "core/StationLog.h"

#include <QCoreApplication>

int runHeadless(Station &station, bool exitWhenIdle) {
    station.whenPrepared = [&station](const Preparation &prep) {
        station.log.write(QStringLiteral("Sin ventana: ") +
                          titleWithRif(designTitle(), prep.rifDecorado));
    };
    const Preparation &prep = station.prepare();
    if (!prep.complete && !prep.waiting)
        return 3;

    Robot &robot = station.robot;
    QObject::connect(&robot, &Robot::databaseProblem, [&station](const QString &error) {
        station.messages.show(QStringLiteral("No se puede consultar la base de datos: ") + error,
                              MessageIcon::Critical);
    });
    QObject::connect(&robot, &Robot::databaseRecovered, [&station] {
        station.messages.show(QStringLiteral("La base de datos responde de nuevo."),
                              MessageIcon::Information);
    });
    if (exitWhenIdle) {
        QObject::connect(&robot, &Robot::tickFinished, [&robot](Robot::TickOutcome outcome) {
            if (outcome == Robot::TickOutcome::RefreshFailed ||
                outcome == Robot::TickOutcome::NothingTaken || !robot.timerEnabled() ||
                robot.printingHeld())
                QCoreApplication::exit(3);
            else if (outcome == Robot::TickOutcome::NothingPending)
                QCoreApplication::exit(0);
        });
    }
    return QCoreApplication::exec();
}
