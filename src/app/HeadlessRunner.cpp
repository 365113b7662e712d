#include "app/HeadlessRunner.h"

#include "app/Station.h"
#include "core/ExitCode.h"
#include "core/OperatorMessages.h"
#include "core/RetryDelay.h"
#include "core/StationLog.h"

#include <QCoreApplication>
#include <QTimer>

namespace robot {

namespace {

constexpr RetryDelay kResumeDelay{2000, 60000};

// Nobody presses "Iniciar" on a station without a window: after a failure (printer offline, out
// of paper, a document it could not finish) the robot starts again by itself, 2 seconds later
// at first and then twice as long each time, never more than a minute apart. Before each
// document the print journal settles what the failure left behind, so nothing prints twice.
class FailureRecovery : public QObject {
public:
    FailureRecovery(Robot &robot, StationLog &log) : robot(robot), log(log) {
        pause.setSingleShot(true);
        connect(&pause, &QTimer::timeout, this, [this] { this->robot.resumeAfterFailure(); });
        connect(&robot, &Robot::stateChanged, this, &FailureRecovery::schedule);
        connect(&robot, &Robot::tickFinished, this, [this](Robot::TickOutcome outcome) {
            if (outcome == Robot::TickOutcome::Printed &&
                this->robot.state() == Robot::State::Running)
                failures = 0;
        });
    }

private:
    void schedule() {
        if (robot.state() != Robot::State::StoppedAfterFailure || pause.isActive())
            return;
        const int seconds = kResumeDelay.afterFailures(++failures) / 1000;
        log.warning(QStringLiteral("El robot se reanudará solo en %1 s.").arg(seconds));
        pause.start(seconds * 1000);
    }

    Robot &robot;
    StationLog &log;
    QTimer pause;
    int failures = 0;
};

} // namespace

int runHeadless(Station &station, OperatorMessages &messages, StationLog &log, bool exitWhenIdle) {
    station.whenPrepared = [&log](const Preparation &prep) {
        log.write(QStringLiteral("Sin ventana: ") + titleWithRif(designTitle(), prep.rifDecorado));
    };
    Robot &robot = station.robot();
    // Nobody is there to cancel a coupon that an interruption left open.
    robot.unattended = true;
    station.endOnTerminationRequest();
    const Preparation &prep = station.prepare();
    if (station.ended())
        return robot::exitStatus(robot::ExitCode::Done);
    // A run that ends when idle does not wait for a print journal it cannot use; a station
    // that runs until stopped waits for it like for the database.
    if (!prep.complete && (!prep.waiting || (exitWhenIdle && !station.journalReady())))
        return robot::exitStatus(robot::ExitCode::Stopped);
    // A run that must end cannot wait for a database that does not answer yet.
    if (exitWhenIdle && prep.waiting) {
        QString told = prep.missing;
        told.remove(QStringLiteral(" Se intentará de nuevo."));
        messages.show(told + QStringLiteral(" La estación termina sin imprimir."),
                      MessageIcon::Critical);
        return robot::exitStatus(robot::ExitCode::Stopped);
    }

    QObject::connect(&robot, &Robot::databaseProblem, [&messages](const QString &error) {
        messages.show(QStringLiteral("No se puede consultar la base de datos: ") + error,
                      MessageIcon::Critical);
    });
    QObject::connect(&robot, &Robot::databaseRecovered, [&messages] {
        messages.show(QStringLiteral("La base de datos responde de nuevo."),
                      MessageIcon::Information);
    });
    if (exitWhenIdle) {
        QObject::connect(&robot, &Robot::tickFinished, [&robot](Robot::TickOutcome outcome) {
            if (outcome == Robot::TickOutcome::RefreshFailed ||
                outcome == Robot::TickOutcome::NothingTaken || !robot.running() ||
                robot.printingHeld())
                QCoreApplication::exit(robot::exitStatus(robot::ExitCode::Stopped));
            else if (outcome == Robot::TickOutcome::NothingPending)
                QCoreApplication::exit(robot::exitStatus(robot::ExitCode::Done));
        });
        return QCoreApplication::exec();
    }
    FailureRecovery recovery(robot, log);
    return QCoreApplication::exec();
}

} // namespace robot
