#include "core/StationLog.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace robot {

namespace {

Q_LOGGING_CATEGORY(lcStation, "robot.station")

// The log whose event is being sent: several logs may live in one process (tests), and Qt's
// message handler is called on the sending thread.
thread_local StationLog *sending = nullptr;
std::atomic_bool journal{false};
// The program's own log, for details told from where no log is at hand.
std::atomic<StationLog *> latest{nullptr};
QtMessageHandler previousHandler = nullptr;

LogLevel levelOf(QtMsgType type) {
    switch (type) {
    case QtWarningMsg:
        return LogLevel::Aviso;
    case QtCriticalMsg:
    case QtFatalMsg:
        return LogLevel::Error;
    default:
        return LogLevel::Info;
    }
}

const char *wordOf(LogLevel level) {
    switch (level) {
    case LogLevel::Aviso:
        return "AVISO";
    case LogLevel::Error:
        return "ERROR";
    default:
        return "INFO ";
    }
}

// The syslog priorities that journald reads from a "<N>" at the start of a line.
int priorityOf(QtMsgType type) {
    switch (type) {
    case QtDebugMsg:
        return 7;
    case QtWarningMsg:
        return 4;
    case QtCriticalMsg:
        return 3;
    case QtFatalMsg:
        return 2;
    default:
        return 6;
    }
}

QString oneLine(QString text) {
    return text.replace(u'\r', u' ').replace(u'\n', u' ');
}

} // namespace

StationLog::StationLog(const QString &path, qint64 maxBytes, int keptFiles)
    : file(path), maxBytes(maxBytes), keptFiles(keptFiles) {
    static std::once_flag installed;
    std::call_once(installed, [] { previousHandler = qInstallMessageHandler(handleMessage); });
    latest = this;
}

StationLog::~StationLog() {
    StationLog *self = this;
    latest.compare_exchange_strong(self, nullptr);
}

void StationLog::detail(const QString &text) {
    if (StationLog *log = latest)
        log->write(text);
}

void StationLog::add(LogLevel level, const QString &event) {
    StationLog *const outer = sending;
    sending = this;
    switch (level) {
    case LogLevel::Info:
        qCInfo(lcStation).noquote() << event;
        break;
    case LogLevel::Aviso:
        qCWarning(lcStation).noquote() << event;
        break;
    case LogLevel::Error:
        qCCritical(lcStation).noquote() << event;
        break;
    }
    sending = outer;
}

void StationLog::copyToJournal(bool on) {
    journal = on;
}

void StationLog::handleMessage(QtMsgType type, const QMessageLogContext &context,
                               const QString &message) {
    const bool ours =
        sending && context.category && qstrcmp(context.category, lcStation().categoryName()) == 0;
    if (ours)
        sending->append(levelOf(type), message);
    if (journal) {
        QString line = QStringLiteral("<%1>").arg(priorityOf(type));
        if (!ours && context.category && qstrcmp(context.category, "default") != 0)
            line += QLatin1String(context.category) + QStringLiteral(": ");
        line += oneLine(message) + u'\n';
        std::fputs(line.toUtf8().constData(), stderr);
        std::fflush(stderr);
    } else if (!ours && previousHandler) {
        previousHandler(type, context, message);
    }
}

void StationLog::append(LogLevel level, const QString &event) {
    rotateIfNeeded();
    QFile out(file);
    // Unbuffered, so that what reached the file is known when the write returns.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text |
                  QIODevice::Unbuffered))
        return; // a log that cannot be written must never stop the robot
    const qint64 before = out.size();
    const QByteArray line =
        (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u' ' +
         QLatin1String(wordOf(level)) + u' ' + oneLine(event) + u'\n')
            .toUtf8();
    // A full disk may take part of a line: cut back, or the next line would be glued to it.
    if (out.write(line) != line.size())
        out.resize(before);
}

void StationLog::rotateIfNeeded() {
    if (QFileInfo(file).size() < maxBytes)
        return;
    QFile::remove(file + u'.' + QString::number(keptFiles));
    for (int i = keptFiles - 1; i >= 1; --i)
        QFile::rename(file + u'.' + QString::number(i), file + u'.' + QString::number(i + 1));
    QFile::rename(file, file + QStringLiteral(".1"));
}

} // namespace robot
