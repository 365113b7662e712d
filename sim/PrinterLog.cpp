#include "PrinterLog.h"

#include "Platform.h"

#include <cstdio>

void noteInPrinterLog(const std::string &dir, const std::string &text) {
    const platform::LocalTime t = platform::localNow();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    platform::appendToFile(dir + "/printer.log", stamp + text + '\n');
}
