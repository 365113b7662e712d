#include "commands/ArgumentScanner.h"

#include <algorithm>

namespace robot {

ScannedArguments scanArguments(const QStringList &arguments, const QList<KnownOption> &known) {
    ScannedArguments scanned;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument.size() < 2 || !argument.startsWith(u'-')) {
            scanned.positional << argument;
            continue;
        }
        QString name;
        QString value;
        bool valueGiven = false;
        if (argument == QStringLiteral("-h") || argument == QStringLiteral("-?")) {
            name = QStringLiteral("help");
        } else if (argument.startsWith(QStringLiteral("--")) && argument.size() > 2) {
            name = argument.mid(2);
            if (const qsizetype equals = name.indexOf(u'='); equals >= 0) {
                value = name.mid(equals + 1);
                name.truncate(equals);
                valueGiven = true;
            }
        }
        const auto option = std::find_if(known.begin(), known.end(),
                                         [&](const KnownOption &o) { return o.name == name; });
        if (name.isEmpty() || option == known.end()) {
            scanned.problem = QStringLiteral("Opción desconocida «%1».").arg(argument);
            return scanned;
        }
        if (option->valueName.isEmpty() && valueGiven) {
            scanned.problem = QStringLiteral("La opción --%1 no lleva valor.").arg(name);
            return scanned;
        }
        if (!option->valueName.isEmpty() && !valueGiven) {
            // An option right after is a forgotten value, never a directory named "--headless".
            if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QStringLiteral("--"))) {
                scanned.problem =
                    QStringLiteral("Falta el valor de --%1 (%2).").arg(name, option->valueName);
                return scanned;
            }
            value = arguments[++i];
        }
        scanned.options.append({name, value});
    }
    return scanned;
}

QString wrappedText(const QString &text, int indent) {
    const QString margin(indent, u' ');
    QString result;
    QString current = margin;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (current.size() > indent && current.size() + 1 + word.size() > 80) {
            result += current + u'\n';
            current = margin;
        }
        current += (current.size() > indent ? QStringLiteral(" ") : QString()) + word;
    }
    return result + current + u'\n';
}

QString versionHelpAndStatuses(const QString &statuses) {
    return QStringLiteral("  --version\n") +
           wrappedText(QStringLiteral("Muestra la versión y termina."), 6) +
           QStringLiteral("  --help\n") +
           wrappedText(QStringLiteral("Muestra esta ayuda y termina (también -h)."), 6) +
           QStringLiteral("\nEstados de salida:\n") + wrappedText(statuses, 2);
}

} // namespace robot
