// robot-fiscal-printer-bridge LIBRARY_PATH
//
// Loads the fiscal printer library in its own process and makes the station's calls on it:
// one request on standard input, one reply on standard output (printer/BridgeProtocol.h). The
// station runs it when the library cannot load into the station itself (a 32-bit DLL in a
// 64-bit program) and kills it when the library hangs. Ends with 0 when its input closes.

#include "Platform.h"
#include "printer/BridgeProtocol.h"

#include <cstdio>
#include <string>

namespace robot::bridge {

std::string cannotLoad(const std::string &path, const std::string &why) {
    return "No se pudo cargar la librería de la impresora fiscal «" + path + "»: " + why;
}

std::string lacksEntryPoint(const std::string &path, const char *symbol) {
    return "La librería de la impresora fiscal «" + path + "» no tiene el punto de entrada " +
           symbol + ".";
}

namespace {

bool readExactly(char *bytes, std::size_t size) {
    return std::fread(bytes, 1, size, stdin) == size;
}

bool send(std::FILE *out, const Reply &reply) {
    const std::string bytes = encodeReply(reply);
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
}

Reply serve(const fiscal::FunctionTable &table, const std::string &unusable,
            const std::string &payload) {
    Reply reply;
    fiscal::RawCall call;
    std::string reason;
    const bool readable = decodeRequest(payload, reply.number, call, reason);
    if (!unusable.empty()) {
        reply.kind = ReplyKind::Unavailable;
        reply.message = unusable;
    } else if (!readable) {
        reply.kind = ReplyKind::Malformed;
        reply.message = "Petición inválida al puente de la impresora fiscal: " + reason;
    } else {
        reply.code = fiscal::invoke(table, call);
        reply.ack = call.ack;
        reply.st1 = call.st1;
        reply.st2 = call.st2;
        reply.buffer = std::move(call.buffer);
    }
    return reply;
}

} // namespace

} // namespace robot::bridge

int main(int argc, char **argv) {
    using namespace robot::bridge;
    std::FILE *out = protocolOutput();
    robot::fiscal::FunctionTable table;
    const std::string unusable = loadLibrary(argc, argv, table);

    std::string payload;
    for (;;) {
        char header[kHeaderSize];
        if (!readExactly(header, kHeaderSize))
            return 0;
        const std::uint32_t length = payloadLength(header);
        if (length > kMaxFrame) {
            // What follows cannot be found again in the stream: refuse and end.
            Reply refusal;
            refusal.kind = ReplyKind::Malformed;
            refusal.message = "Petición inválida al puente de la impresora fiscal: mensaje de " +
                              std::to_string(length) + " bytes";
            send(out, refusal);
            return 2;
        }
        payload.resize(length);
        if (!readExactly(payload.data(), length))
            return 0;
        if (!send(out, serve(table, unusable, payload)))
            return 0; // the station is gone
    }
}
