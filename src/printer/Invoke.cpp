#include "printer/RawCall.h"

#include <cstring>
#include <memory>

namespace robot {

namespace fiscal {

namespace {

template <typename Fn> Fn as(const FunctionTable &table, EntryPoint e) {
    return reinterpret_cast<Fn>(table.slot[std::size_t(e)]);
}

} // namespace

short invoke(const FunctionTable &table, RawCall &call) {
    const EntryPoint e = call.entryPoint;
    const Shape shape = shapeOf(e);
    call.texts.resize(std::size_t(textCountOf(shape)));
    const auto t = [&](std::size_t i) { return call.texts[i].c_str(); };
    switch (shape) {
    case Shape::None:
        return as<FnNone>(table, e)();
    case Shape::Text1:
        return as<FnText1>(table, e)(t(0));
    case Shape::Text2:
        return as<FnText2>(table, e)(t(0), t(1));
    case Shape::Text3:
        return as<FnText3>(table, e)(t(0), t(1), t(2));
    case Shape::Text10:
        return as<FnText10>(table, e)(t(0), t(1), t(2), t(3), t(4), t(5), t(6), t(7), t(8), t(9));
    case Shape::Item:
        return as<FnItem>(table, e)(t(0), t(1), t(2), t(3), t(4), call.decimals, t(5), t(6), t(7));
    case Shape::Buffer: {
        const std::size_t size = call.buffer.size();
        const std::unique_ptr<char[]> bytes(new char[size + 1]);
        std::memcpy(bytes.get(), call.buffer.data(), size);
        bytes[size] = '\0';
        const short result = as<FnBuffer>(table, e)(bytes.get());
        call.buffer.assign(bytes.get(), size);
        return result;
    }
    case Shape::Status:
        return as<FnStatus>(table, e)(&call.ack, &call.st1, &call.st2);
    }
    return 0;
}

} // namespace fiscal

} // namespace robot
