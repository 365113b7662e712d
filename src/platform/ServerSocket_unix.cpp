#include "platform/ServerSocket.h"

#include <QLibrary>
#include <sys/socket.h>

namespace robot {

namespace platform {

qintptr libpqSocket(void *connection) {
    // Already loaded by Qt's driver: this only finds it again.
    static const auto socketOf = reinterpret_cast<int (*)(const void *)>(
        QLibrary::resolve(QStringLiteral("pq"), 5, "PQsocket"));
    return socketOf && connection ? socketOf(connection) : -1;
}

void shutDownSocket(qintptr socket) {
    ::shutdown(int(socket), SHUT_RDWR);
}

} // namespace platform

} // namespace robot
