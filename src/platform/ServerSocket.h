#pragma once

#include <QtGlobal>

namespace robot {

namespace platform {

// The socket of a libpq connection (the PGconn* behind Qt's PostgreSQL driver), found through
// the libpq the driver loaded; -1 when it cannot be known.
qintptr libpqSocket(void *connection);

// Ends every exchange on `socket` at once: a read waiting on it returns, as after a cut. Safe
// from another thread than the one waiting.
void shutDownSocket(qintptr socket);

} // namespace platform

} // namespace robot
