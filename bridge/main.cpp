// robot-fiscal-printer-bridge LIBRARY_PATH
// robot-fiscal-printer-bridge --odbc
//
// Loads the fiscal printer library in its own process and makes the station's calls on it:
// one request on standard input, one reply on standard output (printer/BridgeProtocol.h). The
// station runs it when the library cannot load into the station itself (a 32-bit DLL in a
// 64-bit program) and kills it when the library hangs. With --odbc the same program serves the
// document database through ODBC instead (db/OdbcBridgeProtocol.h), in a process of its own so
// that a database that hangs never holds the printer, nor the printer the database. Ends with 0
// when its input closes.

#include "OdbcChannel.h"
#include "Platform.h"
#include "printer/BridgeProtocol.h"

#include <cstdio>
#include <cstring>
#include <functional>
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

bool send(std::FILE *out, const std::string &bytes) {
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

// One reply per frame read, until the input closes (0) or a frame cannot be delimited (2).
int serveFrames(std::FILE *out, const std::function<std::string(const std::string &)> &answer,
                const std::function<std::string(std::uint32_t)> &refuseLength) {
    std::string payload;
    for (;;) {
        char header[kHeaderSize];
        if (!readExactly(header, kHeaderSize))
            return 0;
        const std::uint32_t length = payloadLength(header);
        if (length > kMaxFrame) {
            // What follows cannot be found again in the stream: refuse and end.
            send(out, refuseLength(length));
            return 2;
        }
        payload.resize(length);
        if (!readExactly(payload.data(), length))
            return 0;
        if (!send(out, answer(payload)))
            return 0; // the station is gone
    }
}

int servePrinter(std::FILE *out, int argc, char **argv) {
    fiscal::FunctionTable table;
    const std::string unusable = loadLibrary(argc, argv, table);
    return serveFrames(
        out,
        [&](const std::string &payload) { return encodeReply(serve(table, unusable, payload)); },
        [](std::uint32_t length) {
            Reply refusal;
            refusal.kind = ReplyKind::Malformed;
            refusal.message = "Petición inválida al puente de la impresora fiscal: mensaje de " +
                              std::to_string(length) + " bytes";
            return encodeReply(refusal);
        });
}

int serveDatabase(std::FILE *out) {
    OdbcChannel channel;
    const auto malformed = [](std::uint32_t number, const std::string &reason) {
        DbReply refusal;
        refusal.number = number;
        refusal.kind = DbReplyKind::Malformed;
        refusal.message = "Petición inválida al puente de la base de datos: " + reason;
        return encodeDbReply(refusal);
    };
    return serveFrames(
        out,
        [&](const std::string &payload) {
            DbRequest request;
            std::string reason;
            if (!decodeDbRequest(payload, request, reason))
                return malformed(request.number, reason);
            return encodeDbReply(channel.serve(request));
        },
        [&](std::uint32_t length) {
            return malformed(0, "mensaje de " + std::to_string(length) + " bytes");
        });
}

} // namespace

} // namespace robot::bridge

int main(int argc, char **argv) {
    using namespace robot::bridge;
    std::FILE *out = protocolOutput();
    if (argc == 2 && std::strcmp(argv[1], "--odbc") == 0)
        return serveDatabase(out);
    return servePrinter(out, argc, argv);
}
