#include "db/OdbcBridgeProtocol.h"

#include "core/BridgeFrame.h"

namespace robot {

namespace bridge {

namespace {

constexpr std::uint16_t kMaxColumns = 4096;

void writeValue(Writer &w, const DbValue &v) {
    w.u8(std::uint8_t(v.type));
    switch (v.type) {
    case DbType::Null:
        break;
    case DbType::Int16:
    case DbType::Int32:
    case DbType::Int64:
        w.u64(std::uint64_t(v.integer));
        break;
    case DbType::Double:
        w.f64(v.real);
        break;
    case DbType::Bit:
        w.u8(v.integer != 0 ? 1 : 0);
        break;
    case DbType::Text:
        w.text16(v.text);
        break;
    case DbType::Date:
    case DbType::Timestamp:
        w.i16(v.year);
        w.u8(v.month);
        w.u8(v.day);
        if (v.type == DbType::Timestamp) {
            w.u8(v.hour);
            w.u8(v.minute);
            w.u8(v.second);
            w.u32(v.fraction);
        }
        break;
    }
}

bool readValue(Reader &r, DbValue &v) {
    std::uint8_t type = 0;
    if (!r.u8(type))
        return false;
    if (type > std::uint8_t(DbType::Timestamp))
        return r.fail("tipo de valor desconocido (" + std::to_string(type) + ")");
    v.type = DbType(type);
    std::uint64_t wide = 0;
    std::uint8_t bit = 0;
    switch (v.type) {
    case DbType::Null:
        return true;
    case DbType::Int16:
    case DbType::Int32:
    case DbType::Int64:
        if (!r.u64(wide))
            return false;
        v.integer = std::int64_t(wide);
        return true;
    case DbType::Double:
        return r.f64(v.real);
    case DbType::Bit:
        if (!r.u8(bit))
            return false;
        v.integer = bit != 0 ? 1 : 0;
        return true;
    case DbType::Text:
        return r.text16(v.text, kMaxDatabaseText, "texto");
    case DbType::Date:
    case DbType::Timestamp:
        if (!r.i16(v.year) || !r.u8(v.month) || !r.u8(v.day))
            return false;
        return v.type == DbType::Date ||
               (r.u8(v.hour) && r.u8(v.minute) && r.u8(v.second) && r.u32(v.fraction));
    }
    return false;
}

} // namespace

std::size_t encodedSize(const DbValue &value) {
    switch (value.type) {
    case DbType::Null:
        return 1;
    case DbType::Bit:
        return 2;
    case DbType::Text:
        return 5 + 2 * value.text.size();
    case DbType::Date:
        return 5;
    case DbType::Timestamp:
        return 12;
    default:
        return 9;
    }
}

std::string encodeDbRequest(const DbRequest &request) {
    Writer w;
    w.u32(request.number);
    w.u8(std::uint8_t(request.operation));
    switch (request.operation) {
    case DbOperation::Connect:
        w.text16(request.text);
        break;
    case DbOperation::Execute:
        w.text16(request.text);
        w.i16(short(request.parameters.size()));
        for (const DbValue &value : request.parameters)
            writeValue(w, value);
        break;
    case DbOperation::Fetch:
        w.u32(request.statement);
        w.u32(request.maxRows);
        break;
    case DbOperation::Close:
        w.u32(request.statement);
        break;
    case DbOperation::Transaction:
        w.u8(std::uint8_t(request.transaction));
        break;
    }
    return w.framed();
}

std::string encodeDbReply(const DbReply &reply) {
    Writer w;
    w.u32(reply.number);
    w.u8(std::uint8_t(reply.kind));
    if (reply.kind != DbReplyKind::Done) {
        w.blob(reply.sqlState);
        w.blob(reply.message);
        return w.framed();
    }
    w.u32(reply.statement);
    w.u64(std::uint64_t(reply.rowsAffected));
    w.i16(short(reply.columns.size()));
    for (const DbColumn &column : reply.columns) {
        w.text16(column.name);
        w.u8(std::uint8_t(column.type));
    }
    w.u32(std::uint32_t(reply.rows.size()));
    w.i16(short(reply.rows.empty() ? 0 : reply.rows.front().size()));
    for (const std::vector<DbValue> &row : reply.rows)
        for (const DbValue &value : row)
            writeValue(w, value);
    w.u8(reply.atEnd ? 1 : 0);
    return w.framed();
}

bool decodeDbRequest(std::string_view payload, DbRequest &request, std::string &reason) {
    Reader r(payload);
    std::uint8_t operation = 0;
    request = DbRequest();
    bool ok = r.u32(request.number) && r.u8(operation) &&
              ((operation >= std::uint8_t(DbOperation::Connect) &&
                operation <= std::uint8_t(DbOperation::Transaction)) ||
               r.fail("operación desconocida (" + std::to_string(operation) + ")"));
    if (ok) {
        request.operation = DbOperation(operation);
        switch (request.operation) {
        case DbOperation::Connect:
            ok = r.text16(request.text, kMaxDatabaseText, "cadena de conexión");
            break;
        case DbOperation::Execute: {
            short count = 0;
            ok = r.text16(request.text, kMaxDatabaseText, "sentencia") && r.i16(count) &&
                 (count >= 0 || r.fail("número de parámetros negativo"));
            request.parameters.resize(ok ? std::size_t(count) : 0);
            for (DbValue &value : request.parameters)
                ok = ok && readValue(r, value);
            break;
        }
        case DbOperation::Fetch:
            ok = r.u32(request.statement) && r.u32(request.maxRows);
            break;
        case DbOperation::Close:
            ok = r.u32(request.statement);
            break;
        case DbOperation::Transaction: {
            std::uint8_t step = 0;
            ok = r.u8(step) && (step <= std::uint8_t(DbTransaction::Rollback) ||
                                r.fail("paso de transacción desconocido"));
            request.transaction = DbTransaction(step);
            break;
        }
        }
    }
    ok = ok && r.end();
    reason = r.reason;
    return ok;
}

bool decodeDbReply(std::string_view payload, DbReply &reply, std::string &reason) {
    Reader r(payload);
    std::uint8_t kind = 0;
    reply = DbReply();
    bool ok = r.u32(reply.number) && r.u8(kind) &&
              (kind <= std::uint8_t(DbReplyKind::Malformed) ||
               r.fail("respuesta desconocida (" + std::to_string(kind) + ")"));
    if (ok && DbReplyKind(kind) != DbReplyKind::Done) {
        reply.kind = DbReplyKind(kind);
        ok = r.blob(reply.sqlState, 5, "estado SQL") &&
             r.blob(reply.message, kMaxDatabaseText, "mensaje");
    } else if (ok) {
        std::uint64_t affected = 0;
        short columns = 0;
        std::uint32_t rows = 0;
        ok = r.u32(reply.statement) && r.u64(affected) && r.i16(columns) &&
             (std::uint16_t(columns) <= kMaxColumns || r.fail("demasiadas columnas"));
        reply.rowsAffected = std::int64_t(affected);
        reply.columns.resize(ok ? std::uint16_t(columns) : 0);
        for (DbColumn &column : reply.columns) {
            std::uint8_t type = 0;
            ok = ok && r.text16(column.name, kMaxDatabaseText, "columna") && r.u8(type) &&
                 (type <= std::uint8_t(DbType::Timestamp) || r.fail("tipo de columna desconocido"));
            column.type = DbType(type);
        }
        short width = 0;
        ok = ok && r.u32(rows) &&
             (rows <= kMaxFrame || r.fail("demasiadas filas (" + std::to_string(rows) + ")")) &&
             r.i16(width) && (std::uint16_t(width) <= kMaxColumns || r.fail("demasiadas columnas"));
        for (std::uint32_t i = 0; ok && i < rows; ++i) {
            std::vector<DbValue> &row = reply.rows.emplace_back(std::uint16_t(width));
            for (DbValue &value : row)
                ok = ok && readValue(r, value);
        }
        std::uint8_t atEnd = 0;
        ok = ok && r.u8(atEnd);
        reply.atEnd = atEnd != 0;
    }
    ok = ok && r.end();
    reason = r.reason;
    return ok;
}

} // namespace bridge

} // namespace robot
