#include "platform/ServerSocket.h"

#include <QLibrary>
#include <winsock2.h>

namespace robot {

namespace platform {

qintptr libpqSocket(void *connection) {
    // Already loaded by Qt's driver (libpq.dll beside it): this only finds it again.
    static const auto socketOf = reinterpret_cast<int (*)(const void *)>(
        QLibrary::resolve(QStringLiteral("libpq"), "PQsocket"));
    return socketOf && connection ? socketOf(connection) : -1;
}

void shutDownSocket(qintptr socket) {
    ::shutdown(SOCKET(socket), SD_BOTH);
}

} // namespace platform

} // namespace robot
