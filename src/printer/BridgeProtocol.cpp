#include "printer/BridgeProtocol.h"

namespace robot {

namespace bridge {

namespace {

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
    void blob(const std::string &s) {
        u32(std::uint32_t(s.size()));
        bytes += s;
    }
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
        v = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            std::uint8_t b = 0;
            if (!u8(b))
                return false;
            v |= std::uint32_t(b) << shift;
        }
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
    bool end() { return rest.empty() || fail("bytes de más al final del mensaje"); }
    bool fail(std::string why) {
        if (reason.empty())
            reason = std::move(why);
        return false;
    }
    std::string reason;

private:
    bool need(std::size_t n) { return rest.size() >= n || fail("mensaje incompleto"); }
    std::string_view rest;
};

} // namespace

std::string encodeRequest(std::uint32_t number, const fiscal::RawCall &call) {
    Writer w;
    w.u32(number);
    w.u8(std::uint8_t(call.entryPoint));
    w.i16(call.decimals);
    w.i16(call.ack);
    w.i16(call.st1);
    w.i16(call.st2);
    w.blob(call.buffer);
    w.u8(std::uint8_t(call.texts.size()));
    for (const std::string &text : call.texts)
        w.blob(text);
    return w.framed();
}

std::string encodeReply(const Reply &reply) {
    Writer w;
    w.u32(reply.number);
    w.u8(std::uint8_t(reply.kind));
    if (reply.kind == ReplyKind::Done) {
        w.i16(reply.code);
        w.i16(reply.ack);
        w.i16(reply.st1);
        w.i16(reply.st2);
        w.blob(reply.buffer);
    } else {
        w.blob(reply.message);
    }
    return w.framed();
}

std::uint32_t payloadLength(const char header[kHeaderSize]) {
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < kHeaderSize; ++i)
        length |= std::uint32_t(std::uint8_t(header[i])) << (8 * i);
    return length;
}

bool decodeRequest(std::string_view payload, std::uint32_t &number, fiscal::RawCall &call,
                   std::string &reason) {
    Reader r(payload);
    std::uint8_t entry = 0, texts = 0;
    number = 0;
    bool ok = r.u32(number) && r.u8(entry) &&
              (entry < fiscal::entryPointCount ||
               r.fail("punto de entrada desconocido (" + std::to_string(entry) + ")")) &&
              r.i16(call.decimals) && r.i16(call.ack) && r.i16(call.st1) && r.i16(call.st2) &&
              r.blob(call.buffer, kMaxBuffer, "búfer") && r.u8(texts);
    if (ok) {
        call.entryPoint = fiscal::EntryPoint(entry);
        if (texts != fiscal::textCountOf(fiscal::shapeOf(call.entryPoint)))
            ok = r.fail(std::string(fiscal::nameOf(call.entryPoint)) + " no lleva " +
                        std::to_string(texts) + " textos");
    }
    call.texts.assign(ok ? texts : 0, std::string());
    for (std::string &text : call.texts)
        ok = ok && r.blob(text, kMaxText, "texto");
    ok = ok && r.end();
    reason = r.reason;
    return ok;
}

bool decodeReply(std::string_view payload, Reply &reply, std::string &reason) {
    Reader r(payload);
    std::uint8_t kind = 0;
    bool ok = r.u32(reply.number) && r.u8(kind) &&
              (kind <= std::uint8_t(ReplyKind::Malformed) ||
               r.fail("respuesta desconocida (" + std::to_string(kind) + ")"));
    if (ok) {
        reply.kind = ReplyKind(kind);
        if (reply.kind == ReplyKind::Done)
            ok = r.i16(reply.code) && r.i16(reply.ack) && r.i16(reply.st1) && r.i16(reply.st2) &&
                 r.blob(reply.buffer, kMaxBuffer, "búfer");
        else
            ok = r.blob(reply.message, kMaxText, "mensaje");
    }
    ok = ok && r.end();
    reason = r.reason;
    return ok;
}

} // namespace bridge

} // namespace robot
