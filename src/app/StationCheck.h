#pragma once

#include "core/ExitCode.h"

#include <QList>
#include <QString>

class QTextStream;

namespace robot {

class FiscalPrinter;
class OperatorMessages;

// One line of the technician's check.
struct CheckLine {
    // Warning: worth reading, but the station can work. NotRun: an earlier check it needs failed.
    enum class Outcome { Ok, Warning, Failed, NotRun };
    QString name;
    Outcome outcome = Outcome::Ok;
    QString detail; // what was found, or why it failed
    QString remedy; // what to do; empty when there is nothing to do
    // "FALLA   Base de datos: No se encuentra ... Qué hacer: ..."
    QString text() const;
};

// The technician's check of a workstation before its first sale: the configuration, the data
// directory, the document database, the station lock, the printer and the print journal, one
// line each. It prints nothing on paper and changes no record: the database and the printer
// are only asked, the journal is opened read-only and the lock is let go when it ends.
class StationCheck {
public:
    // `directory` holds ImpresorFiscal.inf and the print journal.
    StationCheck(const QString &directory, FiscalPrinter &printer);

    // A running station holds its own lock, which this process cannot take a second time.
    void setLockHeldByThisStation(bool held) { lockHeld = held; }

    QList<CheckLine> run();

    static bool passed(const QList<CheckLine> &lines);
    // Every line and a closing summary, one per line.
    static QString report(const QList<CheckLine> &lines);
    // The caption of the report in the window.
    static QString title() { return QStringLiteral("Diagnóstico"); }

private:
    QString directory;
    FiscalPrinter &printer;
    bool lockHeld = false;
};

// The window's "Diagnóstico": the check of the station running in this process on `directory`
// with its `printer`, its report shown to the operator.
void checkRunningStation(const QString &directory, FiscalPrinter &printer,
                         OperatorMessages &messages);

// robot-fiscal --check: the check on the printer the station would use, its report on `out`.
// Done when nothing failed, else NotDone.
ExitCode checkStation(const QString &directory, QTextStream &out);

} // namespace robot
