#include "commands/AllowReprint.h"

#include "core/StationFiles.h"
#include "db/PrintJournal.h"

#include <QDir>
#include <QStringList>
#include <QTextStream>

namespace robot {

using robot::ExitCode;

std::optional<NamedDocument> namedDocument(const QString &text) {
    const QStringList parts = text.split(u':');
    bool number = false;
    const qint64 codigo = parts.value(1).toLongLong(&number);
    if (parts.size() != 2 || !number ||
        (parts[0] != QStringLiteral("factura") && parts[0] != QStringLiteral("nota")))
        return std::nullopt;
    return NamedDocument{parts[0] == QStringLiteral("nota") ? DocumentKind::NotaCredito
                                                            : DocumentKind::Factura,
                         codigo};
}

ExitCode allowReprint(const QString &directory, DocumentKind kind, qint64 codigo,
                      QTextStream &out) {
    PrintJournal journal;
    if (const Result<void> opened = journal.open(StationFiles(directory).journal()); !opened.ok()) {
        out << opened.error() << Qt::endl;
        return ExitCode::NotDone;
    }
    const Result<int> released = journal.allowReprint(kind, codigo);
    if (!released.ok()) {
        out << released.error() << Qt::endl;
        return ExitCode::NotDone;
    }
    if (released.value() == 0) {
        out << QStringLiteral("El diario no retiene la %1.").arg(describeDocument(kind, codigo))
            << Qt::endl;
        return ExitCode::NotDone;
    }
    out << QStringLiteral("La %1 se imprimirá de nuevo cuando el robot la encuentre pendiente.")
               .arg(describeDocument(kind, codigo))
        << Qt::endl;
    return ExitCode::Done;
}

} // namespace robot
