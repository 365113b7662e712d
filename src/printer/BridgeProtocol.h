#pragma once

// What the station and the printer's bridge program say over the bridge's pipes, one frame
// (core/BridgeFrame.h) a message:
//   request: its number (4 bytes), entry point (1 byte), decimals, ack, st1, st2 (2 bytes each,
//            signed), the buffer (4-byte length and its bytes), the number of texts (1 byte),
//            each text (4-byte length and its Windows-1252 bytes).
//   reply:   the request's number (4 bytes; 0 when it could not be read), kind (1 byte); Done:
//            return code, ack, st1, st2 (2 bytes each) and the buffer (4-byte length and bytes,
//            exactly as the library left them); Unavailable or Malformed: the reason (4-byte
//            length and UTF-8 text).
// The station numbers its requests from 1 and takes a reply only with its own request's number:
// one reply too many would otherwise answer every later call with the previous call's answer.
// Qt-free: the bridge program is built without Qt.

#include "core/BridgeFrame.h"
#include "printer/RawCall.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace robot {

namespace bridge {

// Nothing the station sends comes near these; anything larger is refused unread.
inline constexpr std::uint32_t kMaxText = 64u * 1024;
inline constexpr std::uint32_t kMaxBuffer = 64u * 1024;

enum class ReplyKind : std::uint8_t {
    Done = 0,        // the library was called
    Unavailable = 1, // the library cannot be used (not loaded, entry point missing)
    Malformed = 2,   // the request made no sense; nothing was called
};

struct Reply {
    std::uint32_t number = 0;
    ReplyKind kind = ReplyKind::Done;
    short code = 0;
    short ack = 0, st1 = 0, st2 = 0;
    std::string buffer;
    std::string message; // Unavailable and Malformed: why, for the operator (Spanish)
};

// Framed messages, ready to write.
std::string encodeRequest(std::uint32_t number, const fiscal::RawCall &call);
std::string encodeReply(const Reply &reply);

// Decode one payload (without its header). On false, reason says what was wrong.
// decodeRequest reads the request's number first, so a refusal can carry it.
bool decodeRequest(std::string_view payload, std::uint32_t &number, fiscal::RawCall &call,
                   std::string &reason);
bool decodeReply(std::string_view payload, Reply &reply, std::string &reason);

} // namespace bridge

} // namespace robot
