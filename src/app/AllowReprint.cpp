#include "app/AllowReprint.h"

#include "documents/PrintJournal.h"

#include <QDir>
#include <QTextStream>

int allowReprint(const QString &directory, const QString &document, QTextStream &out) {
    const QStringList parts = document.split(u':');
    bool number = false;
    const qint32 codigo = parts.value(1).toInt(&number);
    if (parts.size() != 2 || !number ||
        (parts[0] != QStringLiteral("factura") && parts[0] != QStringLiteral("nota"))) {
        out << QStringLiteral("Indique el documento como factura:N o nota:N.") << Qt::endl;
        return 1;
    }
    const auto kind = parts[0] == QStringLiteral("factura") ? PrintJournal::Kind::Factura
                                                            : PrintJournal::Kind::NotaCredito;
    PrintJournal journal;
    QString error;
    if (!journal.open(QDir(directory).filePath(QStringLiteral("robot-fiscal-diario.db")), &error)) {
        out << error << Qt::endl;
        return 4;
    }
    PrintJournal::Entry entry;
    entry.kind = kind;
    entry.codigo = codigo;
    const int released = journal.allowReprint(kind, codigo, &error);
    if (released < 0) {
        out << error << Qt::endl;
        return 4;
    }
    if (released == 0) {
        out << QStringLiteral("El diario no retiene la %1.").arg(PrintJournal::describe(entry))
            << Qt::endl;
        return 4;
    }
    out << QStringLiteral("La %1 se imprimirá de nuevo cuando el robot la encuentre pendiente.")
               .arg(PrintJournal::describe(entry))
        << Qt::endl;
    return 0;
}
