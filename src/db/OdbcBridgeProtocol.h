#pragma once

// What the station and a bridge program started for the document database (robot-fiscal-
// printer-bridge --odbc) say over its pipes, one frame (core/BridgeFrame.h) a message:
//   request: its number (4 bytes), the operation (1 byte) and
//            Connect: the connection string (UTF-16);
//            Execute: the statement (UTF-16), the number of parameters (2 bytes), each a value;
//            Fetch:   the statement's number (4 bytes), at most how many rows (4 bytes);
//            Close:   the statement's number (4 bytes);
//            Transaction: begin, commit or roll back (1 byte).
//   reply:   the request's number (4 bytes; 0 when it could not be read), kind (1 byte); Done:
//            the statement's number (4 bytes; 0: no rows to fetch), the rows an update touched
//            (8 bytes, -1 unknown), the columns (2-byte count, each its name in UTF-16 and its
//            value type), the rows (4-byte count, 2-byte width, each that many values), whether the
//            rows are all read (1 byte); Failed or Malformed: the SQL state (5 ASCII bytes or
//            none) and the reason (UTF-8).
//   value:   its type (1 byte), then Int16/Int32/Int64 8 bytes, Double 8 bytes, Bit 1 byte,
//            Text UTF-16, Date year (2), month, day (1 each), Timestamp the date, hour, minute,
//            second (1 each) and the fraction in nanoseconds (4); Null nothing.
// The station numbers its requests as it does the printer's and takes only its own request's
// reply. Qt-free: the bridge program is built without Qt.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace robot {

namespace bridge {

inline constexpr std::uint32_t kMaxDatabaseText = 512u * 1024;
// A batch of rows stops growing past this many bytes, well inside a frame.
inline constexpr std::size_t kRowBatchBytes = 256u * 1024;

enum class DbOperation : std::uint8_t {
    Connect = 1,
    Execute = 2,
    Fetch = 3,
    Close = 4,
    Transaction = 5,
};

enum class DbTransaction : std::uint8_t { Begin = 0, Commit = 1, Rollback = 2 };

enum class DbType : std::uint8_t {
    Null = 0,
    Int16 = 1,
    Int32 = 2,
    Int64 = 3,
    Double = 4,
    Text = 5,
    Bit = 6,
    Date = 7,
    Timestamp = 8,
};

struct DbValue {
    DbType type = DbType::Null;
    std::int64_t integer = 0; // Int16, Int32, Int64, Bit
    double real = 0;          // Double
    std::u16string text;      // Text
    // Date and Timestamp
    short year = 0;
    std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::uint32_t fraction = 0;
};

struct DbRequest {
    std::uint32_t number = 0;
    DbOperation operation = DbOperation::Connect;
    std::u16string text; // Connect, Execute
    std::vector<DbValue> parameters;
    std::uint32_t statement = 0; // Fetch, Close
    std::uint32_t maxRows = 0;   // Fetch
    DbTransaction transaction = DbTransaction::Begin;
};

struct DbColumn {
    std::u16string name;
    DbType type = DbType::Text;
};

enum class DbReplyKind : std::uint8_t {
    Done = 0,
    Failed = 1,    // the driver refused: its SQL state and message
    Malformed = 2, // the request made no sense; nothing was done
};

struct DbReply {
    std::uint32_t number = 0;
    DbReplyKind kind = DbReplyKind::Done;
    std::uint32_t statement = 0;
    std::int64_t rowsAffected = -1;
    std::vector<DbColumn> columns;
    std::vector<std::vector<DbValue>> rows;
    bool atEnd = true;
    std::string sqlState; // Failed: five characters, or empty
    std::string message;  // Failed, Malformed: UTF-8
};

// Framed messages, ready to write.
std::string encodeDbRequest(const DbRequest &request);
std::string encodeDbReply(const DbReply &reply);
// The bytes one value takes in a reply, to keep a batch of rows within bounds.
std::size_t encodedSize(const DbValue &value);

// Decode one payload (without its header). On false, reason says what was wrong; the number is
// read first, so a refusal can carry it.
bool decodeDbRequest(std::string_view payload, DbRequest &request, std::string &reason);
bool decodeDbReply(std::string_view payload, DbReply &reply, std::string &reason);

} // namespace bridge

} // namespace robot
