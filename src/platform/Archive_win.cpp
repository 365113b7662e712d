#include "platform/Archive.h"

namespace robot::platform {

QString archiveSuffix() {
    return QStringLiteral(".zip");
}

} // namespace robot::platform
