#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace robot {

// One option a program knows: "--name" or "--name VALUE" ("--name=VALUE").
struct KnownOption {
    QString name;
    QString valueName; // empty: the option takes no value
};

// A command line split into its options (in the order given) and its other arguments, or the
// reason it cannot be read. Every program of the project reads its arguments this way, so an
// unknown option or a forgotten value gets the same answer everywhere.
struct ScannedArguments {
    struct Given {
        QString name;
        QString value;
    };
    QList<Given> options;
    QStringList positional;
    QString problem; // empty when the arguments can be used
};

// `arguments` without the program's name. "-h" and "-?" are "--help"; anything else that starts
// with "-" must be one of `known`.
ScannedArguments scanArguments(const QStringList &arguments, const QList<KnownOption> &known);

// `text` in lines of at most 80 columns, each after `indent` blanks.
QString wrappedText(const QString &text, int indent);

// The tools' closing lines of --help: --version, --help, then their exit statuses.
QString versionHelpAndStatuses(const QString &statuses);

} // namespace robot
