#include "printer/BridgeProtocol.h"

#include "core/BridgeFrame.h"

namespace robot {

namespace bridge {

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
