#pragma once

#include <QString>
#include <optional>

namespace robot {

// The printer's three status words, as RetornoImpresora returns them.
struct PrinterStatus {
    short ack = 0;
    short st1 = 0;
    short st2 = 0;
};

// What one printer call came to: the library's own code, the status words when the call read
// them, and what kept the call from the printer when it never got there. Every call returns
// one; nothing about a call is left in the printer object or thrown.
class PrinterReply {
public:
    static constexpr short kPaperLowBit = 64; // ST1
    enum class Fault {
        None,
        NoCommunication, // the library answered 0: no printer on the other end
        TimedOut,        // the bridge gave no answer in time and was restarted
        BridgeRestarted, // the bridge died or answered out of turn, and was restarted
        Busy,            // another call was in progress: this one was not made
        Unavailable,     // the library cannot be loaded, or the bridge to it cannot start
    };

    // The library's answer; 0 is no communication.
    static PrinterReply of(short code);
    // A call that never reached the printer, and why, in the operator's words.
    static PrinterReply failed(Fault fault, const QString &why);

    short code = 0;
    Fault fault = Fault::None;
    QString faultText; // what kept the call from the printer; empty when the library answered
    std::optional<PrinterStatus> status; // a status read the printer answered

    bool ok() const { return code == 1; }
    // The library itself said something (perhaps a refusal): the printer is there.
    bool answered() const { return code != 0; }
    // Nothing will reach the printer until a technician mends the library or its bridge.
    bool unavailable() const { return fault == Fault::Unavailable; }
    // Why the call did not reach the printer, for the operator: the fault's words, else the
    // library's "no communication".
    QString unreached() const;

    // The status, decoded (false or empty when no status was read).
    bool notExecuted() const { return status && status->ack == 21; } // ACK 21
    bool paperOut() const;
    bool paperLow() const;
    // Paper running low and nothing else: no reason to stop printing.
    bool paperLowOnly() const {
        return status && status->ack != 21 && status->st1 == kPaperLowBit && status->st2 == 0;
    }
    bool documentOpen() const;
    // The printer itself in error: its clock, its mechanism or its CMOS.
    bool printerFault() const;
    bool fiscalMemoryFull() const;
    // Nothing to report: no ACK 21 and no status bit set.
    bool clean() const { return status && status->ack != 21 && !status->st1 && !status->st2; }
    // The status bits' meanings, each ended by '\r' ("Fin de Papel\rCupón fiscal abierto\r").
    QString statusLines() const;
    // The same on one line ("Fin de Papel, Cupón fiscal abierto"); empty when no bit is set.
    QString words() const;
    // "ack,st1,st2".
    QString statusText() const;
};

} // namespace robot
