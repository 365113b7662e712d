#pragma once

#include "core/BridgeFrame.h"

#include <QByteArray>

namespace robot {

namespace bridge {

// What the bytes read so far from a bridge's pipe hold at their start.
enum class Received { Incomplete, Frame, TooLong };

// Moves the first whole frame's payload from `received` into `payload`. TooLong: the header
// announces more than any frame may hold (`announced`), and nothing is taken.
inline Received takeFrame(QByteArray &received, QByteArray &payload,
                          std::uint32_t *announced = nullptr) {
    if (received.size() < qsizetype(kHeaderSize))
        return Received::Incomplete;
    const std::uint32_t length = payloadLength(received.constData());
    if (announced)
        *announced = length;
    if (length > kMaxFrame)
        return Received::TooLong;
    if (received.size() < qsizetype(kHeaderSize) + qsizetype(length))
        return Received::Incomplete;
    payload = received.mid(kHeaderSize, length);
    received.remove(0, qsizetype(kHeaderSize) + qsizetype(length));
    return Received::Frame;
}

} // namespace bridge

} // namespace robot
