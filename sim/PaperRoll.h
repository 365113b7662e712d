#pragma once

#include <string>
#include <vector>

// The lines one call prints (Windows-1252, one byte a character, as the printer receives its
// texts), kept until the fiscal memory is saved and then appended to paper.txt in UTF-8, so
// that the roll never shows a document the memory does not know about.
class PaperRoll {
public:
    static constexpr std::size_t Width = 48;

    void print(const std::string &line) { lines.push_back(line); }
    void rule(char ch = '=') { lines.emplace_back(Width, ch); }
    // A free text with CR, LF or CR LF line breaks, one roll line per text line.
    void printText(const std::string &text);
    bool flushTo(const std::string &dir);

private:
    std::vector<std::string> lines;
};
