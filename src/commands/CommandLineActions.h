#pragma once

#include <QCommandLineOption>
#include <QString>

class FiscalPrinter;
class OperatorMessages;
class PrintJournal;
class QCommandLineParser;
class QTextStream;

// The support technicians' one-shot actions: one printer command or information query, its
// outcome on standard output, and the program ends. No window and no robot cycle run, and the
// document database is not opened.
class CommandLineActions {
public:
    static constexpr int kExitDone = 0;
    static constexpr int kExitUsage = 1;
    static constexpr int kExitNotDone = 4;

    // Adds --report-x, --report-z, --cancel-coupon, --open-drawer and --query N to the parser.
    explicit CommandLineActions(QCommandLineParser &parser);

    // Before any application object exists: whether the arguments ask for an action, so that
    // the program builds no widgets.
    static bool requested(int argc, char **argv);

    // After parsing.
    bool chosen() const;
    // Reports, cancellation and the drawer act on the printer; queries only read it.
    bool changesPrinter() const;
    // Empty when at most one action is asked for and a query names 1 to 8; else what is wrong.
    QString problem() const;

    // Runs the chosen action. Operator messages (the printer's analysis, "Listo.", an unusable
    // library) go to `messages`; the outcome or the query's answer to `out`. Returns kExitDone
    // when the library answered 1, else kExitNotDone.
    // A cancellation is recorded in `journal` first (FiscalCommands::recordCancellationsIn).
    int run(FiscalPrinter &printer, OperatorMessages &messages, QTextStream &out,
            PrintJournal *journal = nullptr) const;

private:
    int countChosen() const;

    const QCommandLineParser &parser;
    const QCommandLineOption reportX;
    const QCommandLineOption reportZ;
    const QCommandLineOption cancelCoupon;
    const QCommandLineOption openDrawer;
    const QCommandLineOption query;
};
