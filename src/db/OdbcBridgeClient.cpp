#include "db/OdbcBridgeClient.h"

#include "core/ReceivedFrame.h"
#include "platform/PrinterLibraryLocation.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStandardPaths>

namespace robot {

OdbcBridgeClient::OdbcBridgeClient() {
    // What the driver or the bridge says on standard error belongs in the station's output.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    platform::prepareBridgeProcess(process);
}

OdbcBridgeClient::~OdbcBridgeClient() {
    stop();
}

bool OdbcBridgeClient::start(const QStringList &command, QString *why) {
    const QString program = command.value(0);
    const QString found =
        program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(found);
    if (found.isEmpty() || !info.isFile() || !info.isExecutable()) {
        *why = QStringLiteral("No se pudo iniciar el puente de la base de datos «%1»: el programa "
                              "no existe o no es ejecutable.")
                   .arg(program);
        return false;
    }
    received.clear();
    process.start(found, command.mid(1));
    if (!process.waitForStarted()) {
        *why = QStringLiteral("No se pudo iniciar el puente de la base de datos «%1»: %2")
                   .arg(program, process.errorString());
        return false;
    }
    return true;
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

bool OdbcBridgeClient::takeReply(QByteArray &payload, QString *why) {
    std::uint32_t length = 0;
    switch (bridge::takeFrame(received, payload, &length)) {
    case bridge::Received::Incomplete:
        return false;
    case bridge::Received::TooLong:
        *why = QStringLiteral("El puente de la base de datos envió un mensaje de %1 bytes.")
                   .arg(length);
        payload.clear();
        return true;
    case bridge::Received::Frame:
        break;
    }
    return true;
}

std::optional<bridge::DbReply> OdbcBridgeClient::ask(bridge::DbRequest request, QString *why) {
    if (!running()) {
        *why = QStringLiteral("El puente de la base de datos no está funcionando.");
        return std::nullopt;
    }
    if (++requests == 0) // 0 is the bridge's answer to a request it could not read
        ++requests;
    request.number = requests;
    const std::string bytes = bridge::encodeDbRequest(request);
    process.write(bytes.data(), qint64(bytes.size()));

    const QDeadlineTimer deadline(kLimitMs);
    QByteArray payload;
    QString unreadable;
    bool replied = takeReply(payload, &unreadable);
    while (!replied && running() && !deadline.hasExpired()) {
        process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        received += process.readAllStandardOutput();
        replied = takeReply(payload, &unreadable);
    }
    bridge::DbReply reply;
    std::string reason;
    if (replied && unreadable.isEmpty() &&
        !bridge::decodeDbReply(std::string_view(payload.constData(), payload.size()), reply,
                               reason))
        unreadable = QStringLiteral("El puente de la base de datos respondió algo ilegible (%1).")
                         .arg(QString::fromStdString(reason));
    if (replied && unreadable.isEmpty() && reply.number != request.number)
        unreadable = QStringLiteral("El puente de la base de datos respondió fuera de turno (la "
                                    "respuesta %1 a la petición %2).")
                         .arg(reply.number)
                         .arg(request.number);
    if (replied && unreadable.isEmpty())
        return reply;
    *why = !unreadable.isEmpty() ? unreadable
           : running()
               ? QStringLiteral("La base de datos no respondió en %1 s (puente ODBC).")
                     .arg(kLimitMs / 1000)
               : QStringLiteral("El puente de la base de datos terminó durante una sentencia.");
    kill();
    return std::nullopt;
}

} // namespace robot
