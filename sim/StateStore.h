#pragma once

#include "FiscalMemory.h"

#include <QDir>

// The fiscal memory on disk, so that every call, process and restart sees the same printer.
namespace StateStore {
// A missing file is a new printer; an unreadable one gives nothing and says why in error.
std::optional<FiscalMemory> load(const QDir &dir, QString *error);
bool save(const QDir &dir, const FiscalMemory &memory);
} // namespace StateStore
