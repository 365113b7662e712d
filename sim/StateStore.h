#pragma once

#include "FiscalMemory.h"

#include <optional>
#include <string>

// The fiscal memory on disk, so that every call, process and restart sees the same printer.
namespace StateStore {
// A missing file is a new printer; an unreadable one gives nothing and says why in error.
std::optional<FiscalMemory> load(const std::string &dir, std::string *error);
bool save(const std::string &dir, const FiscalMemory &memory);
} // namespace StateStore
