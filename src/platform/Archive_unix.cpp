#include "platform/Archive.h"

namespace robot::platform {

QString archiveSuffix() {
    return QStringLiteral(".tar.gz");
}

} // namespace robot::platform
