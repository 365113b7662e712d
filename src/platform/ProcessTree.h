#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace robot {

namespace platform {

// A command and every process it starts, ended as one: a script's sleep or curl must not
// outlive the script ended at its limit. The command heads a process group of its own on Unix
// and runs in a job object on Windows (ProcessTree_unix.cpp / _win.cpp).

// Starts `program` in `process` as the head of its own tree.
void startProcessTree(QProcess &process, const QString &program, const QStringList &arguments);

// Ends the process started by startProcessTree and what it started that still runs. The
// process itself ends as QProcess::kill ends it (a crash exit).
void endProcessTree(QProcess &process);

} // namespace platform

} // namespace robot
