#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace robot {

// A text file's contents; empty when it cannot be read.
QString readAll(const QString &path);
// Replaces the file at `path` with `bytes`; false when it cannot be written whole.
bool writeFile(const QString &path, const QByteArray &bytes);
// The paper roll the virtual printer keeps in `printerDir`; empty when nothing was printed.
inline QString readPaper(const QString &printerDir) {
    return readAll(printerDir + QStringLiteral("/paper.txt"));
}

// The virtual printer built beside the tests, unless FISCAL_PRINTER_LIBRARY names another build
// of it (the Windows DLL, through the bridge under Wine).
QString virtualPrinterPath();

// Replaces the virtual printer's fault rules in `printerDir` (see sim/); empty: none.
void writeFaults(const QString &printerDir, const QString &rules);

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
    // On a new demo data directory (robot-fiscal-demo's) and printer directory, removed with it.
    StationProgram();

    // The usual arguments of a headless run that ends once nothing is pending.
    static QStringList untilIdle();

    // Started with "--dir dataDir" and `args`; not waited for.
    std::unique_ptr<QProcess>
    start(const QStringList &args,
          QProcess::ProcessChannelMode channels = QProcess::MergedChannels) const;
    // Run to its end (a minute at most), output and errors apart.
    ProgramRun run(const QStringList &args) const;
    QString paper() const { return readPaper(printerDir); }
    QString file(const QString &name) const { return dataDir + u'/' + name; }
    void setFaults(const QString &rules) const { writeFaults(printerDir, rules); }

    QString dataDir;
    QString printerDir;
    QProcessEnvironment environment;
    QString errorFile; // when set, standard error goes to this file, and run() reads it back

private:
    std::shared_ptr<QTemporaryDir> owned;
};

} // namespace robot
