#include "printer/BridgePrinter.h"

#include "core/ReceivedFrame.h"
#include "core/StationLog.h"
#include "platform/PrinterLibraryLocation.h"
#include "printer/BridgeProtocol.h"

#include <QDebug>
#include <QEventLoop>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>

namespace robot {

BridgePrinter::BridgePrinter(const QStringList &command, const QString &libraryPath,
                             std::function<void(LogLevel, const QString &)> log)
    : command(command), libraryPath(libraryPath), log(std::move(log)),
      timeoutMs(kDefaultTimeoutMs) {
    const QByteArray asked = qgetenv("FISCAL_PRINTER_BRIDGE_TIMEOUT_MS");
    if (const std::optional<int> ms = timeoutFrom(asked))
        timeoutMs = *ms;
    else if (!asked.isEmpty() && this->log)
        this->log(LogLevel::Aviso,
                  QStringLiteral("FISCAL_PRINTER_BRIDGE_TIMEOUT_MS=«%1» no es válido: debe ser un "
                                 "número de milisegundos, en decimal, de %2 o más. Se espera %3 "
                                 "ms a cada llamada.")
                      .arg(QString::fromLocal8Bit(asked))
                      .arg(kMinimumTimeoutMs)
                      .arg(kDefaultTimeoutMs));
    // What the library or the bridge says on standard error belongs in the station's output.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    platform::prepareBridgeProcess(process);
    // A bridge that ends between calls (its library crashed on its own, someone ended it) is
    // started again at the next call; without this line the log would show only the new start.
    QObject::connect(&process, &QProcess::finished, &process,
                     [this](int code, QProcess::ExitStatus status) {
                         if (busy || stopping || !this->log)
                             return;
                         this->log(LogLevel::Aviso,
                                   QStringLiteral("El puente de la impresora fiscal terminó sin "
                                                  "una llamada en curso (%1); se iniciará de "
                                                  "nuevo en la próxima llamada.")
                                       .arg(status == QProcess::CrashExit
                                                ? QStringLiteral("falló")
                                                : QStringLiteral("código %1").arg(code)));
                     });
}

BridgePrinter::~BridgePrinter() {
    if (process.state() == QProcess::NotRunning)
        return;
    stopping = true;
    process.closeWriteChannel(); // the bridge ends when its input closes
    if (!process.waitForFinished(2000))
        stop();
}

std::optional<int> BridgePrinter::timeoutFrom(const QByteArray &text) {
    // Decimal only: "010" is not 8 ms, nor "0x10" 16.
    if (text.isEmpty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int ms = text.toInt();
    return ms >= kMinimumTimeoutMs ? std::optional(ms) : std::nullopt;
}

QString BridgePrinter::start() {
    const QString program = command.value(0);
    const QString found =
        program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(found);
    if (found.isEmpty() || !info.isFile() || !info.isExecutable())
        return QStringLiteral("No se pudo iniciar el puente de la impresora fiscal «%1»: el "
                              "programa no existe o no es ejecutable.")
            .arg(program);
    received.clear();
    const QStringList arguments = command.mid(1) << QFileInfo(libraryPath).absoluteFilePath();
    process.start(found, arguments);
    if (!process.waitForStarted())
        return QStringLiteral("No se pudo iniciar el puente de la impresora fiscal «%1»: %2")
            .arg(program, process.errorString());
    if (log)
        log(LogLevel::Info, QStringLiteral("Puente de la impresora fiscal iniciado: %1 %2")
                                .arg(found, arguments.join(u' ')));
    return {};
}

void BridgePrinter::stop() {
    stopping = true;
    process.kill();
    process.waitForFinished();
    stopping = false;
    received.clear();
}

PrinterReply BridgePrinter::fail(PrinterReply::Fault fault, const QString &what) {
    // A warning: the caller's own line says what the failure cost.
    if (log)
        log(LogLevel::Aviso, what);
    else
        qWarning().noquote() << what; // printer-check and the like: at least on standard error
    if (episode.isEmpty())
        episode = what;
    stop();
    return PrinterReply::failed(fault, what);
}

bool BridgePrinter::takeReply(QByteArray &payload) {
    switch (bridge::takeFrame(received, payload)) {
    case bridge::Received::Incomplete:
        return false;
    case bridge::Received::TooLong:
        // A length no reply can have: an empty payload, refused as unreadable at once.
        payload.clear();
        received.clear();
        return true;
    case bridge::Received::Frame:
        break;
    }
    return true;
}

PrinterReply BridgePrinter::call(robot::fiscal::RawCall &call) {
    const QString name = QString::fromLatin1(fiscal::nameOf(call.entryPoint));
    // A button pressed while a call waits: the bridge serves one call at a time, and nesting
    // would answer the outer call with the inner one's reply.
    if (busy) {
        const QString refused =
            QStringLiteral("Llamada %1 rechazada: otra llamada a la impresora está en curso.")
                .arg(name);
        if (log)
            log(LogLevel::Aviso, refused);
        return PrinterReply::failed(PrinterReply::Fault::Busy, refused);
    }
    if (process.state() == QProcess::NotRunning) {
        if (const QString refused = start(); !refused.isEmpty())
            return PrinterReply::failed(PrinterReply::Fault::Unavailable, refused);
    }
    busy = true;
    if (++requests == 0) // 0 is the bridge's answer to a request it could not read
        ++requests;
    const std::uint32_t number = requests;
    const std::string request = bridge::encodeRequest(number, call);
    process.write(request.data(), qint64(request.size()));

    // The window keeps working while the bridge answers.
    QByteArray payload;
    bool replied = false, timedOut = false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        received += process.readAllStandardOutput();
        if (takeReply(payload)) {
            replied = true;
            loop.quit();
        }
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    received += process.readAllStandardOutput();
    replied = takeReply(payload);
    if (!replied && process.state() == QProcess::Running)
        loop.exec();
    busy = false;

    bridge::Reply reply;
    std::string reason;
    if (replied && !bridge::decodeReply(std::string_view(payload.constData(), payload.size()),
                                        reply, reason)) {
        return fail(PrinterReply::Fault::BridgeRestarted,
                    QStringLiteral("El puente de la impresora fiscal respondió algo ilegible a %1 "
                                   "(%2); se reinicia.")
                        .arg(name, QString::fromStdString(reason)));
    }
    if (replied && reply.number != number) {
        return fail(PrinterReply::Fault::BridgeRestarted,
                    QStringLiteral("El puente de la impresora fiscal respondió fuera de turno a %1 "
                                   "(la respuesta %2 a la petición %3); se reinicia.")
                        .arg(name)
                        .arg(reply.number)
                        .arg(number));
    }
    if (!replied && timedOut)
        return fail(PrinterReply::Fault::TimedOut,
                    QStringLiteral("La impresora fiscal no respondió a %1 en %2 s; se reinicia el "
                                   "puente de la impresora.")
                        .arg(name)
                        .arg(timeoutMs / 1000.0));
    if (!replied)
        return fail(
            PrinterReply::Fault::BridgeRestarted,
            QStringLiteral("El puente de la impresora fiscal terminó durante %1; se reinicia.")
                .arg(name));
    if (reply.kind != bridge::ReplyKind::Done)
        return PrinterReply::failed(PrinterReply::Fault::Unavailable,
                                    QString::fromStdString(reply.message));
    if (!episode.isEmpty()) {
        episode.clear();
        if (log)
            log(LogLevel::Info,
                QStringLiteral("El puente de la impresora fiscal responde de nuevo."));
    }
    call.buffer = std::move(reply.buffer);
    call.ack = reply.ack;
    call.st1 = reply.st1;
    call.st2 = reply.st2;
    return PrinterReply::of(reply.code);
}

} // namespace robot
