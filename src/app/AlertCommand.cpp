#include "app/AlertCommand.h"

#include "core/StationLog.h"
#include "platform/CommandWords.h"
#include "platform/ProcessTree.h"

#include <QProcess>
#include <QSysInfo>
#include <QTimer>

namespace robot {

AlertCommand::AlertCommand(const AlertSettings &settings, qint32 caja, StationLog &log,
                           QObject *parent)
    : QObject(parent), settings(settings), caja(caja), log(log) {}

AlertCommand::~AlertCommand() {
    for (QProcess *process : findChildren<QProcess *>(Qt::FindDirectChildrenOnly)) {
        auto *limit = process->findChild<QTimer *>();
        const int left = limit && limit->isActive() ? limit->remainingTime() : 0;
        if (process->state() != QProcess::NotRunning && !process->waitForFinished(left)) {
            if (limit)
                limit->stop(); // logged as ended at its limit
            platform::endProcessTree(*process);
            process->waitForFinished();
        }
    }
}

void AlertCommand::run(const QString &kind, bool starts, const QString &message) {
    const QStringList words = platform::commandWords(settings.command);
    if (words.isEmpty())
        return;
    const QString state = starts ? QStringLiteral("inicio") : QStringLiteral("fin");
    const QString computer = QSysInfo::machineHostName();
    const QString said = QStringLiteral("El comando de aviso («%1», %2)").arg(kind, state);

    auto *process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ROBOT_FISCAL_AVISO"), kind);
    environment.insert(QStringLiteral("ROBOT_FISCAL_ESTADO"), state);
    environment.insert(QStringLiteral("ROBOT_FISCAL_MENSAJE"), message);
    environment.insert(QStringLiteral("ROBOT_FISCAL_CAJA"), QString::number(caja));
    environment.insert(QStringLiteral("ROBOT_FISCAL_EQUIPO"), computer);
    process->setProcessEnvironment(environment);
    // Its output is no operator's business; its errors reach the station's (the system
    // journal when it runs as a service).
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);

    auto *limit = new QTimer(process);
    limit->setSingleShot(true);
    // What the command started goes with it: a script's sleep or curl would outlive it, one
    // more at each episode.
    connect(limit, &QTimer::timeout, process, [process] { platform::endProcessTree(*process); });
    connect(process, &QProcess::errorOccurred, this,
            [this, process, said, words](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return;
                log.error(QStringLiteral("%1 no se pudo ejecutar: «%2» (%3). Revise Comando en "
                                         "la sección [Avisos] de robot-fiscal.ini.")
                              .arg(said, words.first(), process->errorString()));
                process->deleteLater();
            });
    connect(process, &QProcess::finished, this,
            [this, process, limit, said](int code, QProcess::ExitStatus status) {
                if (status == QProcess::CrashExit && !limit->isActive())
                    log.warning(QStringLiteral("%1 no terminó en %2 s: se detuvo.")
                                    .arg(said)
                                    .arg(settings.limitSeconds));
                else if (status == QProcess::CrashExit)
                    log.warning(said + QStringLiteral(" terminó de forma anormal."));
                else if (code != 0)
                    log.warning(QStringLiteral("%1 terminó con el estado %2.").arg(said).arg(code));
                else
                    log.write(said + QStringLiteral(" terminó con el estado 0."));
                process->deleteLater();
            });

    // The same words on its standard input, for a command that reads its text there (mail,
    // curl --data-binary @-).
    const QString text = QStringLiteral("Aviso: %1 (%2)\nCaja: %3\nEquipo: %4\n%5\n")
                             .arg(kind, state)
                             .arg(caja)
                             .arg(computer, message);
    connect(process, &QProcess::started, process, [process, limit, text, this] {
        limit->start(settings.limitSeconds * 1000);
        process->write(text.toUtf8());
        process->closeWriteChannel();
    });
    platform::startProcessTree(*process, words.first(), words.mid(1));
}

} // namespace robot
