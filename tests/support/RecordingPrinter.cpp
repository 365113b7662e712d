#include "support/RecordingPrinter.h"

#include "core/Ansi.h"

namespace robot {

using namespace fiscal;

QStringList RecordingPrinter::callsTo(const QString &name) const {
    return calls.filter(QRegularExpression(QStringLiteral("^") + name + QStringLiteral("\\(")));
}

QStringList RecordingPrinter::itemArguments() const {
    QStringList arguments;
    for (const QString &call : callsTo(QStringLiteral("VendeArticulo")))
        arguments << call.mid(call.indexOf(u'(') + 1).chopped(1);
    return arguments;
}

PrinterReply RecordingPrinter::call(RawCall &call) {
    QStringList args;
    for (const std::string &text : call.texts)
        args << Ansi::decode(QByteArray::fromStdString(text));
    const Shape shape = shapeOf(call.entryPoint);
    if (shape == Shape::Item)
        args.insert(5, QString::number(call.decimals));
    if (shape == Shape::Buffer)
        args << QString::number(call.buffer.size());
    calls << QString::fromLatin1(nameOf(call.entryPoint)) + u'(' + args.join(u'|') + u')';
    const PrinterReply result = real->call(call);
    if (changeReply)
        changeReply(calls.last(), call);
    if (afterCall)
        afterCall(calls.last());
    return result;
}

} // namespace robot
