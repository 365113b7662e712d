#include "PrinterLog.h"

#include <QDateTime>
#include <QFile>

void noteInPrinterLog(const QDir &dir, const QString &text) {
    QFile file(dir.filePath(QStringLiteral("printer.log")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write((QDateTime::currentDateTime().toString(Qt::ISODate) + QLatin1Char(' ') + text +
                QLatin1Char('\n'))
                   .toUtf8());
}
