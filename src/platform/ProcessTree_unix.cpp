#include "platform/ProcessTree.h"

#include <csignal>
#include <unistd.h>

namespace robot {

namespace platform {

void startProcessTree(QProcess &process, const QString &program, const QStringList &arguments) {
    // In the child before it runs the command: its group's number is its own process id, and
    // what it starts inherits the group.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(program, arguments);
}

void endProcessTree(QProcess &process) {
    const qint64 head = process.processId();
    // No id once it has ended: a kill(-0) would be the station's own group.
    if (head <= 0)
        return;
    if (::kill(-pid_t(head), SIGKILL) != 0)
        process.kill();
}

} // namespace platform

} // namespace robot
