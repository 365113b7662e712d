#include "printer/FiscalPrinter.h"

#include "core/Ansi.h"

#include <cstring>

namespace robot {

using robot::fiscal::EntryPoint;
using robot::fiscal::RawCall;

PrinterReply FiscalPrinter::callTexts(EntryPoint e, const QStringList &texts, short decimals) {
    RawCall raw;
    raw.entryPoint = e;
    raw.decimals = decimals;
    for (const QString &text : texts) {
        const QByteArray bytes = Ansi::encode(text);
        raw.texts.emplace_back(bytes.constData(), std::size_t(bytes.size()));
    }
    return call(raw);
}

PrinterReply FiscalPrinter::callBuffer(EntryPoint e, QString &buffer) {
    RawCall raw;
    raw.entryPoint = e;
    const QByteArray bytes = Ansi::encode(buffer);
    raw.buffer.assign(bytes.constData(), std::size_t(bytes.size()));
    const PrinterReply result = call(raw);
    const std::size_t length = strnlen(raw.buffer.data(), raw.buffer.size());
    buffer = Ansi::decode(QByteArray(raw.buffer.data(), qsizetype(length)));
    return result;
}

PrinterReply FiscalPrinter::callStatus(EntryPoint e) {
    RawCall raw;
    raw.entryPoint = e;
    PrinterReply result = call(raw);
    // A status the library answered, even with a refusal code: its words say why.
    if (result.answered()) {
        result.status = PrinterStatus{raw.ack, raw.st1, raw.st2};
        if (result.ok() && statusRead)
            statusRead(*result.status);
    }
    return result;
}

} // namespace robot
