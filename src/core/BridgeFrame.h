#pragma once

// The framing every bridge program's pipe uses, whatever it carries (the printer's calls, the
// document database's statements): each message is its payload's length (4 bytes,
// little-endian) and the payload. Numbers are little-endian, texts a 4-byte length and their
// bytes. Qt-free: the bridge program is built without Qt.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace robot {

namespace bridge {

// Nothing the station sends comes near this; anything larger is refused unread.
inline constexpr std::uint32_t kMaxFrame = 1u << 20;
inline constexpr std::size_t kHeaderSize = 4;

// The payload length a frame header announces.
inline std::uint32_t payloadLength(const char header[kHeaderSize]) {
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < kHeaderSize; ++i)
        length |= std::uint32_t(std::uint8_t(header[i])) << (8 * i);
    return length;
}

class Writer {
public:
    Writer() : bytes(kHeaderSize, '\0') {}
    void u8(std::uint8_t v) { bytes.push_back(char(v)); }
    void i16(short v) {
        const auto u = std::uint16_t(v);
        u8(std::uint8_t(u & 0xFF));
        u8(std::uint8_t(u >> 8));
    }
    void u32(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8)
            u8(std::uint8_t((v >> shift) & 0xFF));
    }
    void u64(std::uint64_t v) {
        for (int shift = 0; shift < 64; shift += 8)
            u8(std::uint8_t((v >> shift) & 0xFF));
    }
    void f64(double v) {
        std::uint64_t u = 0;
        std::memcpy(&u, &v, sizeof u);
        u64(u);
    }
    void blob(std::string_view s) {
        u32(std::uint32_t(s.size()));
        bytes += s;
    }
    // UTF-16 text as its little-endian bytes.
    void text16(std::u16string_view s) {
        u32(std::uint32_t(s.size() * 2));
        for (const char16_t c : s) {
            u8(std::uint8_t(c & 0xFF));
            u8(std::uint8_t(c >> 8));
        }
    }
    std::size_t size() const { return bytes.size(); }
    // Fills in the header.
    std::string framed() {
        const auto length = std::uint32_t(bytes.size() - kHeaderSize);
        for (std::size_t i = 0; i < kHeaderSize; ++i)
            bytes[i] = char((length >> (8 * i)) & 0xFF);
        return std::move(bytes);
    }

private:
    std::string bytes;
};

// Reads within the payload only; the first shortfall or bound broken sticks as the reason.
class Reader {
public:
    explicit Reader(std::string_view bytes) : rest(bytes) {}
    bool u8(std::uint8_t &v) {
        if (!need(1))
            return false;
        v = std::uint8_t(rest[0]);
        rest.remove_prefix(1);
        return true;
    }
    bool i16(short &v) {
        std::uint8_t lo = 0, hi = 0;
        if (!u8(lo) || !u8(hi))
            return false;
        v = short(std::uint16_t(lo | (hi << 8)));
        return true;
    }
    bool u32(std::uint32_t &v) {
        std::uint64_t wide = 0;
        const bool ok = bytesLE(wide, 4);
        v = std::uint32_t(wide);
        return ok;
    }
    bool u64(std::uint64_t &v) { return bytesLE(v, 8); }
    bool f64(double &v) {
        std::uint64_t u = 0;
        if (!u64(u))
            return false;
        std::memcpy(&v, &u, sizeof v);
        return true;
    }
    bool blob(std::string &s, std::uint32_t max, const char *what) {
        std::uint32_t length = 0;
        if (!u32(length))
            return false;
        if (length > max)
            return fail(std::string(what) + " demasiado largo (" + std::to_string(length) +
                        " bytes)");
        if (!need(length))
            return false;
        s.assign(rest.data(), length);
        rest.remove_prefix(length);
        return true;
    }
    bool text16(std::u16string &s, std::uint32_t max, const char *what) {
        std::string bytes;
        if (!blob(bytes, max, what))
            return false;
        if (bytes.size() % 2 != 0)
            return fail(std::string(what) + " de longitud impar");
        s.resize(bytes.size() / 2);
        for (std::size_t i = 0; i < s.size(); ++i)
            s[i] = char16_t(std::uint8_t(bytes[2 * i]) | (std::uint8_t(bytes[2 * i + 1]) << 8));
        return true;
    }
    bool end() { return rest.empty() || fail("bytes de más al final del mensaje"); }
    bool fail(std::string why) {
        if (reason.empty())
            reason = std::move(why);
        return false;
    }
    std::string reason;

private:
    bool need(std::size_t n) { return rest.size() >= n || fail("mensaje incompleto"); }
    bool bytesLE(std::uint64_t &v, int count) {
        v = 0;
        for (int i = 0; i < count; ++i) {
            std::uint8_t b = 0;
            if (!u8(b))
                return false;
            v |= std::uint64_t(b) << (8 * i);
        }
        return true;
    }
    std::string_view rest;
};

} // namespace bridge

} // namespace robot
