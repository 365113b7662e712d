#include "core/Cp1252.h"

#include <array>
#include <cstdint>

namespace robot {

namespace {

// 0x80..0x9F differ from Latin-1; 0 marks the bytes Windows-1252 leaves undefined.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char toByte(std::uint32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    // Spaces the code page lacks, such as the narrow no-break space some locales group digits
    // with, become their nearest neighbour instead of a '?' on a fiscal document.
    if (u == 0x202F || u == 0x2007 || u == 0x2060)
        return static_cast<char>(0xA0);
    if ((u >= 0x2000 && u <= 0x200A) || u == 0x205F || u == 0x3000)
        return ' ';
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] != 0 && kHighControls[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

void appendUtf8(std::string &out, std::uint32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

} // namespace

namespace cp1252 {

std::string fromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        std::uint32_t u = extra == 0 ? lead : lead & (0x3Fu >> extra);
        bool valid = (lead < 0x80 || extra > 0) && lead < 0xF8 && i + extra < utf8.size();
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            u = (u << 6) | (next & 0x3Fu);
        }
        // Overlong forms and surrogates are malformed too.
        static constexpr std::uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || u < kLeast[extra] || (u >= 0xD800 && u <= 0xDFFF) || u > 0x10FFFF) {
            out += '?';
            ++i;
            continue;
        }
        out += toByte(u);
        i += extra + 1;
    }
    return out;
}

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const char16_t mapped = b >= 0x80 && b <= 0x9F ? kHighControls[b - 0x80] : 0;
        appendUtf8(out, mapped != 0 ? mapped : b);
    }
    return out;
}

} // namespace cp1252

} // namespace robot
