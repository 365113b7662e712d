// The bridge program under malformed input, and BridgePrinter when the bridge dies, hangs or is
// missing. The calls themselves go through the bridge in the *_bridge registrations of the
// binding, invoice and credit-note tests.

#include "commands/FiscalCommands.h"
#include "core/StationLog.h"
#include "printer/BridgePrinter.h"
#include "printer/BridgeProtocol.h"
#include "support/RecordingMessages.h"
#include "support/RecordingPrinter.h"
#include "support/StationProgram.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

using namespace robot;
using fiscal::EntryPoint;

namespace {

const QString kBridge = QStringLiteral(BRIDGE_PATH);

// The bridge on the echo library fed `input`: its exit code (-1: it crashed or hung) and its
// replies, decoded; a reply that does not decode, or bytes left over, count as bad.
struct Served {
    int exitCode = -1;
    QList<bridge::Reply> replies;
    int bad = 0;
};

Served serve(const QByteArray &input) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(kBridge, {QStringLiteral(ECHO_PRINTER_PATH)});
    process.write(input);
    process.closeWriteChannel();
    Served served;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        served.exitCode = process.exitCode();
    else
        process.kill();
    const QByteArray out = process.readAllStandardOutput();
    std::string_view rest(out.constData(), std::size_t(out.size()));
    while (rest.size() >= bridge::kHeaderSize &&
           rest.size() >= bridge::kHeaderSize + bridge::payloadLength(rest.data())) {
        const std::size_t length = bridge::payloadLength(rest.data());
        bridge::Reply reply;
        std::string reason;
        served.bad += !bridge::decodeReply(rest.substr(bridge::kHeaderSize, length), reply, reason);
        served.replies.append(reply);
        rest.remove_prefix(bridge::kHeaderSize + length);
    }
    served.bad += int(rest.size());
    return served;
}

QByteArray framed(const QByteArray &payload) {
    QByteArray frame(4, '\0');
    for (int i = 0; i < 4; ++i)
        frame[i] = char((payload.size() >> (8 * i)) & 0xFF);
    return frame + payload;
}

PrinterReply virtualCall(FiscalPrinter &printer) {
    QString buffer(6, u' ');
    return printer.NumeroCupon(buffer);
}

} // namespace

class TestPrinterBridge : public QObject {
    Q_OBJECT

private slots:
    void malformedRequestsGetAnErrorReplyNeverACrash() {
        // Valid requests, then each cut short or with random bytes changed, then random bytes;
        // every frame gets exactly one reply.
        QRandomGenerator random(20261207);
        QByteArray input;
        int frames = 0, valid = 0;
        for (int i = 0; i < 3000; ++i) {
            fiscal::RawCall call;
            call.entryPoint = EntryPoint(random.bounded(fiscal::entryPointCount));
            call.buffer.assign(std::size_t(random.bounded(700)), ' ');
            for (int t = 0; t < fiscal::textCountOf(fiscal::shapeOf(call.entryPoint)); ++t)
                call.texts.push_back(std::string(std::size_t(random.bounded(40)), 'x'));
            const std::string request = bridge::encodeRequest(std::uint32_t(i + 1), call);
            QByteArray payload = QByteArray::fromStdString(request.substr(bridge::kHeaderSize));
            switch (i % 3) {
            case 0:
                ++valid;
                break;
            case 1:
                payload.truncate(random.bounded(qMax(1, int(payload.size()))));
                break;
            default:
                for (int n = 0; n < 4; ++n)
                    payload[random.bounded(int(payload.size()))] = char(random.bounded(256));
            }
            input += framed(payload);
            ++frames;
        }
        for (int i = 0; i < 200; ++i, ++frames) {
            QByteArray noise(random.bounded(64), '\0');
            for (char &c : noise)
                c = char(random.bounded(256));
            input += framed(noise);
        }
        input += framed(QByteArray(100, 'x')).left(50); // the input ends mid-frame

        const Served served = serve(input);
        QCOMPARE(served.exitCode, 0);
        QCOMPARE(served.bad, 0);
        QCOMPARE(served.replies.size(), frames);
        int done = 0;
        for (const auto &reply : served.replies)
            done += reply.kind == bridge::ReplyKind::Done;
        QVERIFY(done >= valid);

        // An absurd length cannot be skipped: refused, and the bridge ends cleanly.
        const Served absurd = serve(QByteArray("\xff\xff\xff\x7f", 4) + "rest");
        QCOMPARE(absurd.exitCode, 2);
        QCOMPARE(absurd.replies.size(), 1);
        QCOMPARE(absurd.replies[0].kind, bridge::ReplyKind::Malformed);
    }

    void deathAndHangCostOneCallAndSayWhy() {
        QTemporaryDir printerDir;
        qputenv("VIRTUAL_PRINTER_DIR", printerDir.path().toUtf8());
        const auto faults = [&](const char *rules) { writeFaults(printerDir.path(), rules); };
        QStringList log;
        BridgePrinter printer({kBridge}, virtualPrinterPath(),
                              [&](LogLevel, const QString &line) { log << line; });
        printer.setTimeoutMs(1000);
        QCOMPARE(virtualCall(printer).code, short(1));

        // The library crashes the bridge twice in a row: one episode; each call says why it
        // never reached the printer, and the next good call forgets it.
        const QString died = QStringLiteral("El puente de la impresora fiscal terminó durante "
                                            "NumeroCupon; se reinicia.");
        faults("crash Bematech_FI_NumeroCupon");
        const PrinterReply crashed = virtualCall(printer);
        QCOMPARE(crashed.code, short(0));
        QCOMPARE(crashed.fault, PrinterReply::Fault::BridgeRestarted);
        QCOMPARE(crashed.faultText, died);
        QCOMPARE(virtualCall(printer).code, short(0));
        QCOMPARE(printer.failure(), died);
        // A report made whose status then never came back is not told as done.
        faults("crash Bematech_FI_RetornoImpresora");
        RecordingMessages told;
        QVERIFY(!FiscalCommands(printer, told).CierreX().succeeded());
        QVERIFY2(told.texts().join(u' ').contains(QStringLiteral("RetornoImpresora")),
                 qPrintable(told.texts().join(u' ')));
        faults("");
        const PrinterReply again = virtualCall(printer);
        QCOMPARE(again.code, short(1));
        QVERIFY(printer.failure().isEmpty() && again.faultText.isEmpty());

        // A hang: the call gives up; a button pressed meanwhile is refused, not nested.
        faults("delay 10000");
        PrinterReply pressed;
        QTimer::singleShot(100, [&] { pressed = printer.AccionaGaveta(); });
        const PrinterReply hung = printer.LecturaX();
        QCOMPARE(hung.code, short(0));
        QCOMPARE(pressed.fault, PrinterReply::Fault::Busy);
        QCOMPARE(hung.fault, PrinterReply::Fault::TimedOut);
        QCOMPARE(hung.faultText,
                 "La impresora fiscal no respondió a LecturaX en 1 s; se reinicia el puente de "
                 "la impresora.");
        faults("");
        QCOMPARE(virtualCall(printer).code, short(1));
        QCOMPARE(log.filter(QStringLiteral("rechazada")).size(), 1);
        QCOMPARE(log.filter(QStringLiteral("responde de nuevo")).size(), 3); // one per episode

        // Ended while no call waits: a warning in the log, and the next call starts it again.
        const QString pid = printerDir.filePath(QStringLiteral("puente.pid"));
        QStringList warnings;
        BridgePrinter idle({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                            QStringLiteral("echo $$ > '%1'; exec \"$0\" \"$@\"").arg(pid), kBridge},
                           virtualPrinterPath(), [&](LogLevel level, const QString &line) {
                               if (level == LogLevel::Aviso)
                                   warnings << line;
                           });
        QCOMPARE(virtualCall(idle).code, short(1));
        QCOMPARE(::kill(readAll(pid).trimmed().toInt(), SIGKILL), 0);
        QTRY_COMPARE(warnings,
                     QStringList{"El puente de la impresora fiscal terminó sin una llamada en "
                                 "curso (falló); se iniciará de nuevo en la próxima llamada."});
        QCOMPARE(virtualCall(idle).code, short(1));
        qunsetenv("VIRTUAL_PRINTER_DIR");
    }

    // A bridge that writes one reply too many: the call that meets it gets "no communication"
    // and a new bridge, instead of the previous call's answer.
    void aReplyOutOfStepRestartsTheBridge() {
        QTemporaryDir dir;
        bridge::Reply extra;
        extra.number = 41;
        extra.code = 1;
        extra.buffer = "999999";
        const QString stale = dir.filePath(QStringLiteral("extra"));
        QVERIFY(writeFile(stale, QByteArray::fromStdString(bridge::encodeReply(extra))));
        const QString once = dir.filePath(QStringLiteral("escrita"));
        BridgePrinter printer({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                               QStringLiteral("[ -e '%1' ] || { : >'%1'; cat '%2'; }; exec '%3' "
                                              "\"$0\"")
                                   .arg(once, stale, kBridge)},
                              QStringLiteral(ECHO_PRINTER_PATH));
        QString buffer(6, u' ');
        const PrinterReply outOfStep = printer.NumeroCupon(buffer);
        QCOMPARE(outOfStep.code, short(0));
        QVERIFY2(outOfStep.faultText.contains(QStringLiteral("fuera de turno")),
                 qPrintable(outOfStep.faultText));
        QVERIFY(printer.NumeroCupon(buffer).code > 1);
        QCOMPARE(buffer, QStringLiteral("000123"));
    }

    // Decimal milliseconds, a second at least; a refused value is logged.
    void bridgeTimeoutFromTheEnvironment() {
        for (const char *refused : {"010", "0x10", "999", " 2000", "-5000", "99999999999"}) {
            QVERIFY2(!BridgePrinter::timeoutFrom(refused), refused);
            qputenv("FISCAL_PRINTER_BRIDGE_TIMEOUT_MS", refused);
            QStringList log;
            BridgePrinter printer({kBridge}, QStringLiteral(ECHO_PRINTER_PATH),
                                  [&](LogLevel, const QString &line) { log << line; });
            QCOMPARE(log.filter(QStringLiteral("no es válido")).size(), 1);
        }
        qunsetenv("FISCAL_PRINTER_BRIDGE_TIMEOUT_MS");
        QCOMPARE(BridgePrinter::timeoutFrom("1000"), std::optional(1000));
        QCOMPARE(BridgePrinter::timeoutFrom("0090000"), std::optional(90000));
    }

    void missingBridgeIsReportedByPath() {
        BridgePrinter printer({QStringLiteral("/no/existe/puente")}, QStringLiteral("lib.so"));
        const PrinterReply refused = printer.AccionaGaveta();
        QVERIFY(refused.unavailable());
        QCOMPARE(refused.faultText,
                 "No se pudo iniciar el puente de la impresora fiscal «/no/existe/puente»: el "
                 "programa no existe o no es ejecutable.");
    }
};

QTEST_GUILESS_MAIN(TestPrinterBridge)
#include "test_printer_bridge.moc"
