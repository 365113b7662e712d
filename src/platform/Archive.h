#pragma once

#include "core/Result.h"

#include <QString>

namespace robot {

namespace platform {

// The archive a technician can send: the system's own tar, which is libarchive's bsdtar on
// Windows 10 and later and GNU tar on Linux, so no archive format is written by hand.
// ".zip" on Windows, where Explorer opens it; ".tar.gz" elsewhere.
QString archiveSuffix();

// Packs the files of `directory` (not the directory itself) into `archive`; the reason when
// tar is missing or fails.
Result<void> packDirectory(const QString &directory, const QString &archive);

} // namespace platform

} // namespace robot
