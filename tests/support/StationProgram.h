#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace robot {

// The paper roll the virtual printer keeps in `printerDir`; empty when nothing was printed.
QString readPaper(const QString &printerDir);

struct ProgramRun {
    bool crashed = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// The built station program as a separate process, on one data directory and a virtual printer
// of its own.
class StationProgram {
public:
    StationProgram(const QString &dataDir, const QString &printerDir);

    // The usual arguments of a headless run that ends once nothing is pending.
    static QStringList untilIdle();

    // Started with "--dir dataDir" and `args`; not waited for.
    std::unique_ptr<QProcess>
    start(const QStringList &args,
          QProcess::ProcessChannelMode channels = QProcess::MergedChannels) const;
    // Run to its end (a minute at most), output and errors apart.
    ProgramRun run(const QStringList &args) const;
    QString paper() const { return readPaper(printerDir); }

    QString dataDir;
    QString printerDir;
    QProcessEnvironment environment;
};

} // namespace robot
