#pragma once

// What the bridge needs from the operating system: its pipes and the library loader. One file
// per platform implements it.

#include "printer/RawCall.h"

#include <cstdio>
#include <string>

namespace robot::bridge {

// Sets standard input to binary and returns the stream replies go to: the original standard
// output, which the library no longer reaches (its own prints go to standard error instead of
// corrupting the replies).
std::FILE *protocolOutput();

// Loads the library named by the program's argument and resolves every entry point in table.
// Empty on success, else the operator's message (built with the functions below).
std::string loadLibrary(int argc, char **argv, fiscal::FunctionTable &table);

// The messages of a library that cannot be used, the same as the in-process binding's.
std::string cannotLoad(const std::string &path, const std::string &why);
std::string lacksEntryPoint(const std::string &path, const char *symbol);

} // namespace robot::bridge
