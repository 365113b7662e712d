#include "app/AllowReprint.h"

#include "db/PrintJournal.h"

#include <QDir>
#include <QTextStream>

int allowReprint(const QString &directory, const QString &document, QTextStream &out) {
    const QStringList parts = document.split(u':');
    bool number = false;
    const qint64 codigo = parts.value(1).toLongLong(&number);
    if (parts.size() != 2 || !number ||
        (parts[0] != QStringLiteral("factura") && parts[0] != QStringLiteral("nota"))) {
        out << QStringLiteral("Indique el documento como factura:N o nota:N.") << Qt::endl;
        return 1;
    }
    const auto kind =
        parts[0] == QStringLiteral("factura") ? DocumentKind::Factura : DocumentKind::NotaCredito;
    PrintJournal journal;
    QString error;
    if (!journal.open(QDir(directory).filePath(QStringLiteral("robot-fiscal-diario.db")), &error)) {
        out << error << Qt::endl;
        return 4;
    }
    const int released = journal.allowReprint(kind, codigo, &error);
    if (released < 0) {
        out << error << Qt::endl;
        return 4;
    }
    if (released == 0) {
        out << QStringLiteral("El diario no retiene la %1.").arg(describeDocument(kind, codigo))
            << Qt::endl;
        return 4;
    }
    out << QStringLiteral("La %1 se imprimirá de nuevo cuando el robot la encuentre pendiente.")
               .arg(describeDocument(kind, codigo))
        << Qt::endl;
    return 0;
}
