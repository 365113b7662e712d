#pragma once

#include <QDir>
#include <QString>

// printer.log in the state directory: what the printer noticed but could not say through
// its status words (ignored fault rules, unreadable state).
void noteInPrinterLog(const QDir &dir, const QString &text);
