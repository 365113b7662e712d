#include "platform/ProcessTree.h"

#include <QVariant>
#include <windows.h>

namespace robot {

namespace platform {

namespace {

// The job object of a process started by startProcessTree, kept on the QProcess itself.
const char *const kJobProperty = "robotJobObject";

} // namespace

void startProcessTree(QProcess &process, const QString &program, const QStringList &arguments) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) {
        process.start(program, arguments);
        return;
    }
    process.setProperty(kJobProperty, QVariant::fromValue(quintptr(job)));
    QObject::connect(&process, &QObject::destroyed, [job] { CloseHandle(job); });
    // Started suspended and put in the job before it runs: nothing it starts escapes the job.
    PROCESS_INFORMATION *created = nullptr;
    process.setCreateProcessArgumentsModifier([&created](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_SUSPENDED;
        created = args->processInformation;
    });
    process.start(program, arguments);
    process.setCreateProcessArgumentsModifier({});
    // Qt keeps the process's handles while it runs; they are only borrowed here.
    if (!created || process.state() == QProcess::NotRunning)
        return;
    AssignProcessToJobObject(job, created->hProcess);
    ResumeThread(created->hThread);
}

void endProcessTree(QProcess &process) {
    // The command itself first, as QProcess ends it; then whatever it started.
    process.kill();
    if (const auto job = process.property(kJobProperty).value<quintptr>())
        TerminateJobObject(reinterpret_cast<HANDLE>(job), 1);
}

} // namespace platform

} // namespace robot
