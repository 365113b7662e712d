#pragma once

#include <string>

// Status words as RetornoImpresora reports them: ACK, then the two bit sets ST1 and ST2.
namespace Status {
constexpr short Ack = 6;
constexpr short Nak = 21;

constexpr short PaperOut = 128;       // ST1
constexpr short PaperLow = 64;        // ST1
constexpr short PrinterError = 16;    // ST1
constexpr short DocumentOpen = 2;     // ST1
constexpr short MissingParameter = 1; // ST1

constexpr short InvalidParameter = 128; // ST2
constexpr short CancelNotAllowed = 4;   // ST2
constexpr short NotExecuted = 1;        // ST2

// Return codes of the library.
constexpr short Done = 1;
constexpr short Offline = 0;
constexpr short Refused = -27;
} // namespace Status

struct PrinterStatus {
    short ack = Status::Ack;
    short st1 = 0;
    short st2 = 0;
};

// What one call ends with: its return code, the status it leaves and, for a query, the answer
// (Windows-1252, as it goes into the caller's buffer).
struct Outcome {
    short code = Status::Done;
    PrinterStatus status;
    std::string answer;

    static Outcome done(short st1 = 0) { return {Status::Done, {Status::Ack, st1, 0}, {}}; }
    static Outcome answered(const std::string &text, short st1 = 0) {
        return {Status::Done, {Status::Ack, st1, 0}, text};
    }
    static Outcome refused(short st1, short st2, short ack = Status::Ack) {
        return {Status::Refused, {ack, st1, st2}, {}};
    }
    static Outcome notExecuted(short st1 = 0) { return refused(st1, Status::NotExecuted); }
    static Outcome invalid() { return refused(0, Status::InvalidParameter); }
    static Outcome missing() { return refused(Status::MissingParameter, 0); }
};
