#pragma once

#include "core/ExitCode.h"

#include <QString>
#include <QtGlobal>

class QTextStream;

namespace robot {

// robot-fiscal --estado on a database server: every station's row, one line each, marked
// AVISO when it needs a person (no sign of life for two minutes, stopped by a failure, a
// document held back, no paper). Done when none does.
ExitCode reportServerStatus(const QString &address, QTextStream &out);

// On a file database: this station's own state from its print journal (the last document
// printed and its coupon, documents held back). Done when nothing is held back.
ExitCode reportJournalStatus(const QString &journalPath, qint32 caja, QTextStream &out);

} // namespace robot
