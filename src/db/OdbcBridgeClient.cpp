#include "db/OdbcBridgeClient.h"

#include "core/ReceivedFrame.h"
#include "platform/PrinterLibraryLocation.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStandardPaths>

namespace robot {

namespace {

// The reply a payload holds, if it is the one to request `number`.
Result<bridge::DbReply> replyTo(std::uint32_t number, const QByteArray &payload) {
    bridge::DbReply reply;
    std::string reason;
    if (!bridge::decodeDbReply(std::string_view(payload.constData(), payload.size()), reply,
                               reason))
        return Failure{QStringLiteral("El puente de la base de datos respondió algo ilegible (%1).")
                           .arg(QString::fromStdString(reason))};
    if (reply.number != number)
        return Failure{QStringLiteral("El puente de la base de datos respondió fuera de turno (la "
                                      "respuesta %1 a la petición %2).")
                           .arg(reply.number)
                           .arg(number)};
    return reply;
}

} // namespace

OdbcBridgeClient::OdbcBridgeClient() {
    // What the driver or the bridge says on standard error belongs in the station's output.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    platform::prepareBridgeProcess(process);
}

OdbcBridgeClient::~OdbcBridgeClient() {
    stop();
}

Result<void> OdbcBridgeClient::start(const QStringList &command) {
    const QString program = command.value(0);
    const QString found =
        program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(found);
    if (found.isEmpty() || !info.isFile() || !info.isExecutable())
        return Failure{QStringLiteral("No se pudo iniciar el puente de la base de datos «%1»: el "
                                      "programa no existe o no es ejecutable.")
                           .arg(program)};
    received.clear();
    process.start(found, command.mid(1));
    if (!process.waitForStarted())
        return Failure{QStringLiteral("No se pudo iniciar el puente de la base de datos «%1»: %2")
                           .arg(program, process.errorString())};
    return {};
}

void OdbcBridgeClient::stop() {
    if (process.state() == QProcess::NotRunning)
        return;
    process.closeWriteChannel();
    if (!process.waitForFinished(2000))
        kill();
}

void OdbcBridgeClient::kill() {
    process.kill();
    process.waitForFinished();
    received.clear();
}

Result<std::optional<QByteArray>> OdbcBridgeClient::takeReply() {
    QByteArray payload;
    std::uint32_t length = 0;
    switch (bridge::takeFrame(received, payload, &length)) {
    case bridge::Received::Incomplete:
        return std::optional<QByteArray>();
    case bridge::Received::TooLong:
        return Failure{QStringLiteral("El puente de la base de datos envió un mensaje de %1 bytes.")
                           .arg(length)};
    case bridge::Received::Frame:
        break;
    }
    return std::optional<QByteArray>(payload);
}

Result<bridge::DbReply> OdbcBridgeClient::ask(bridge::DbRequest request) {
    if (!running())
        return Failure{QStringLiteral("El puente de la base de datos no está funcionando.")};
    if (++requests == 0) // 0 is the bridge's answer to a request it could not read
        ++requests;
    request.number = requests;
    const std::string bytes = bridge::encodeDbRequest(request);
    process.write(bytes.data(), qint64(bytes.size()));

    const QDeadlineTimer deadline(kLimitMs);
    Result<std::optional<QByteArray>> taken = takeReply();
    while (taken.ok() && !taken.value() && running() && !deadline.hasExpired()) {
        process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        received += process.readAllStandardOutput();
        taken = takeReply();
    }
    const Result<bridge::DbReply> reply =
        !taken.ok()     ? Result<bridge::DbReply>(taken.why())
        : taken.value() ? replyTo(request.number, *taken.value())
        : running() ? Failure{QStringLiteral("La base de datos no respondió en %1 s (puente ODBC).")
                                  .arg(kLimitMs / 1000)}
                    : Failure{QStringLiteral(
                          "El puente de la base de datos terminó durante una sentencia.")};
    if (!reply.ok())
        kill();
    return reply;
}

} // namespace robot
