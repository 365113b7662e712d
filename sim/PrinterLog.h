#pragma once

#include <string>

// printer.log in the state directory: what the printer noticed but could not say through
// its status words (ignored fault rules, unreadable state). The text is UTF-8.
void noteInPrinterLog(const std::string &dir, const std::string &text);
