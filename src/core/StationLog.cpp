#include "core/StationLog.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

StationLog::StationLog(const QString &path, qint64 maxBytes, int keptFiles)
    : file(path), maxBytes(maxBytes), keptFiles(keptFiles) {}

void StationLog::write(const QString &event) {
    rotateIfNeeded();
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return; // a log that cannot be written must never stop the robot
    QString line = event;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    out.write((QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u' ' +
               line + u'\n')
                  .toUtf8());
}

void StationLog::rotateIfNeeded() {
    if (QFileInfo(file).size() < maxBytes)
        return;
    QFile::remove(file + u'.' + QString::number(keptFiles));
    for (int i = keptFiles - 1; i >= 1; --i)
        QFile::rename(file + u'.' + QString::number(i), file + u'.' + QString::number(i + 1));
    QFile::rename(file, file + QStringLiteral(".1"));
}
