#include "printer/FiscalPrinter.h"

#include "core/Ansi.h"

#include <cstring>

namespace robot {

using robot::fiscal::EntryPoint;
using robot::fiscal::RawCall;

short FiscalPrinter::callTexts(EntryPoint e, const QStringList &texts, short decimals) {
    RawCall raw;
    raw.entryPoint = e;
    raw.decimals = decimals;
    for (const QString &text : texts) {
        const QByteArray bytes = Ansi::encode(text);
        raw.texts.emplace_back(bytes.constData(), std::size_t(bytes.size()));
    }
    return call(raw);
}

short FiscalPrinter::callBuffer(EntryPoint e, QString &buffer) {
    RawCall raw;
    raw.entryPoint = e;
    const QByteArray bytes = Ansi::encode(buffer);
    raw.buffer.assign(bytes.constData(), std::size_t(bytes.size()));
    const short result = call(raw);
    const std::size_t length = strnlen(raw.buffer.data(), raw.buffer.size());
    buffer = Ansi::decode(QByteArray(raw.buffer.data(), qsizetype(length)));
    return result;
}

short FiscalPrinter::callStatus(EntryPoint e, short &ack, short &st1, short &st2) {
    RawCall raw;
    raw.entryPoint = e;
    raw.ack = ack;
    raw.st1 = st1;
    raw.st2 = st2;
    const short result = call(raw);
    ack = raw.ack;
    st1 = raw.st1;
    st2 = raw.st2;
    if (result == 1 && statusRead)
        statusRead(ack, st1, st2);
    return result;
}

} // namespace robot
