#include "PaperRoll.h"

#include "Platform.h"
#include "core/Cp1252.h"

void PaperRoll::printText(const std::string &text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        print(line);
        line.clear();
    }
    print(line);
}

bool PaperRoll::flushTo(const std::string &dir) {
    if (lines.empty())
        return true;
    std::string bytes;
    for (const std::string &line : lines)
        bytes += line + '\n';
    lines.clear();
    return platform::appendToFile(dir + "/paper.txt", robot::cp1252::toUtf8(bytes));
}
