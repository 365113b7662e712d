#include "OdbcChannel.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
#ifndef _WIN32
#include <clocale>
#include <cstring>
#include <langinfo.h>
#endif

#include <algorithm>
#include <cstdint>
#include <vector>

namespace robot::bridge {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the protocol carries UTF-16 as it is");

const SQLWCHAR *wide(const std::u16string &text) {
    return reinterpret_cast<const SQLWCHAR *>(text.c_str());
}

std::string utf8(const std::u16string &text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// A text the driver wrote, up to its terminating NUL: the length it gives back counts bytes, not
// characters, when the driver manager converted it from a driver without the W functions.
std::u16string terminated(const SQLWCHAR *text, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && text[length] != 0)
        ++length;
    return std::u16string(reinterpret_cast<const char16_t *>(text), length);
}

bool succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

DbReply failure(SQLSMALLINT type, SQLHANDLE handle, const std::string &what) {
    DbReply reply;
    reply.kind = DbReplyKind::Failed;
    reply.message = what;
    SQLWCHAR state[6] = {};
    SQLWCHAR text[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT record = 1; handle && record <= 3; ++record) {
        if (!succeeded(SQLGetDiagRecW(type, handle, record, state, &native, text,
                                      SQLSMALLINT(sizeof text / sizeof text[0]), &length)))
            break;
        if (record == 1)
            reply.sqlState = utf8(std::u16string(reinterpret_cast<const char16_t *>(state), 5));
        reply.message +=
            (record == 1 ? ": " : " ") + utf8(terminated(text, sizeof text / sizeof text[0]));
    }
    return reply;
}

DbType typeOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
    case SQL_BIT:
        return DbType::Bit;
    case SQL_TINYINT:
    case SQL_SMALLINT:
        return DbType::Int16;
    case SQL_INTEGER:
        return DbType::Int32;
    case SQL_BIGINT:
        return DbType::Int64;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return DbType::Double;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return DbType::Date;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return DbType::Timestamp;
    default:
        return DbType::Text;
    }
}

// One bound parameter's value, kept where the driver reads it until the statement ran.
struct Parameter {
    SQLLEN indicator = 0;
    std::int16_t small = 0;
    std::int32_t integer = 0;
    std::int64_t big = 0;
    double real = 0;
    unsigned char bit = 0;
    SQL_TIMESTAMP_STRUCT stamp{};
    SQL_DATE_STRUCT date{};
    std::u16string text;
};

SQLRETURN bind(SQLHSTMT stmt, SQLUSMALLINT position, const DbValue &value, Parameter &p) {
    SQLSMALLINT cType = SQL_C_WCHAR, sqlType = SQL_WVARCHAR;
    SQLULEN size = 1;
    SQLSMALLINT digits = 0;
    SQLPOINTER data = nullptr;
    SQLLEN bytes = 0;
    switch (value.type) {
    case DbType::Null:
        p.indicator = SQL_NULL_DATA;
        break;
    case DbType::Int16:
    case DbType::Int32:
    case DbType::Int64:
        // Jet has no 64-bit integer: a value that fits goes as a Long.
        if (value.integer >= INT32_MIN && value.integer <= INT32_MAX) {
            p.integer = std::int32_t(value.integer);
            cType = SQL_C_SLONG;
            sqlType = SQL_INTEGER;
            data = &p.integer;
        } else {
            p.big = value.integer;
            cType = SQL_C_SBIGINT;
            sqlType = SQL_BIGINT;
            data = &p.big;
        }
        size = 0;
        break;
    case DbType::Double:
        p.real = value.real;
        cType = SQL_C_DOUBLE;
        sqlType = SQL_DOUBLE;
        data = &p.real;
        size = 15;
        break;
    case DbType::Bit:
        p.bit = value.integer != 0 ? 1 : 0;
        cType = SQL_C_BIT;
        sqlType = SQL_BIT;
        data = &p.bit;
        break;
    case DbType::Text:
        p.text = value.text;
        data = p.text.data();
        bytes = SQLLEN(p.text.size() * sizeof(char16_t));
        p.indicator = bytes;
        size = std::max<SQLULEN>(1, p.text.size());
        // Longer than a Text field: a Memo.
        if (p.text.size() > 255)
            sqlType = SQL_WLONGVARCHAR;
        break;
    case DbType::Date:
        p.date = {SQLSMALLINT(value.year), SQLUSMALLINT(value.month), SQLUSMALLINT(value.day)};
        cType = SQL_C_TYPE_DATE;
        sqlType = SQL_TYPE_DATE;
        data = &p.date;
        size = 10;
        break;
    case DbType::Timestamp:
        p.stamp = {SQLSMALLINT(value.year),
                   SQLUSMALLINT(value.month),
                   SQLUSMALLINT(value.day),
                   SQLUSMALLINT(value.hour),
                   SQLUSMALLINT(value.minute),
                   SQLUSMALLINT(value.second),
                   0};
        cType = SQL_C_TYPE_TIMESTAMP;
        sqlType = SQL_TYPE_TIMESTAMP;
        data = &p.stamp;
        size = 19;
        break;
    }
    return SQLBindParameter(stmt, position, SQL_PARAM_INPUT, cType, sqlType, size, digits, data,
                            bytes, &p.indicator);
}

// A whole number of the current row read as the C type `T` the driver converts it to.
template <typename T>
SQLRETURN getNumber(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, std::int64_t &into,
                    SQLLEN &indicator) {
    T number = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, cType, &number, sizeof number, &indicator);
    into = number;
    return rc;
}

// The value of one column of the current row, converted as its type asks.
SQLRETURN readColumn(SQLHSTMT stmt, SQLUSMALLINT column, DbType type, DbValue &value) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQL_SUCCESS;
    value.type = type;
    switch (type) {
    case DbType::Null:
        return SQL_SUCCESS;
    case DbType::Bit:
        rc = getNumber<unsigned char>(stmt, column, SQL_C_BIT, value.integer, indicator);
        break;
    case DbType::Int16:
        rc = getNumber<SQLSMALLINT>(stmt, column, SQL_C_SSHORT, value.integer, indicator);
        break;
    case DbType::Int32:
        rc = getNumber<SQLINTEGER>(stmt, column, SQL_C_SLONG, value.integer, indicator);
        break;
    case DbType::Int64:
        rc = getNumber<SQLBIGINT>(stmt, column, SQL_C_SBIGINT, value.integer, indicator);
        break;
    case DbType::Double:
        rc = SQLGetData(stmt, column, SQL_C_DOUBLE, &value.real, sizeof value.real, &indicator);
        break;
    case DbType::Date: {
        SQL_DATE_STRUCT date{};
        rc = SQLGetData(stmt, column, SQL_C_TYPE_DATE, &date, sizeof date, &indicator);
        value.year = short(date.year);
        value.month = std::uint8_t(date.month);
        value.day = std::uint8_t(date.day);
        break;
    }
    case DbType::Timestamp: {
        SQL_TIMESTAMP_STRUCT stamp{};
        rc = SQLGetData(stmt, column, SQL_C_TYPE_TIMESTAMP, &stamp, sizeof stamp, &indicator);
        value.year = short(stamp.year);
        value.month = std::uint8_t(stamp.month);
        value.day = std::uint8_t(stamp.day);
        value.hour = std::uint8_t(stamp.hour);
        value.minute = std::uint8_t(stamp.minute);
        value.second = std::uint8_t(stamp.second);
        value.fraction = std::uint32_t(stamp.fraction);
        break;
    }
    case DbType::Text: {
        // Read in pieces until the driver has no more: a Memo may be long.
        value.text.clear();
        char16_t piece[2048];
        for (;;) {
            rc = SQLGetData(stmt, column, SQL_C_WCHAR, piece, sizeof piece, &indicator);
            if (rc == SQL_NO_DATA) {
                rc = SQL_SUCCESS;
                break;
            }
            if (!succeeded(rc) || indicator == SQL_NULL_DATA)
                break;
            const std::size_t room = sizeof piece / sizeof piece[0] - 1;
            const std::size_t got = indicator == SQL_NO_TOTAL || std::size_t(indicator) / 2 > room
                                        ? room
                                        : std::size_t(indicator) / 2;
            // Never past the NUL the driver wrote: see terminated().
            value.text += terminated(reinterpret_cast<const SQLWCHAR *>(piece), got);
            if (rc == SQL_SUCCESS || value.text.size() > kMaxDatabaseText / 2)
                break;
        }
        break;
    }
    }
    if (succeeded(rc) && indicator == SQL_NULL_DATA)
        value = DbValue();
    return rc;
}

} // namespace

struct OdbcChannel::Handles {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
    struct Open {
        SQLHSTMT stmt;
        std::vector<DbType> types;
    };
    std::map<std::uint32_t, Open> statements;
    std::uint32_t lastStatement = 0;
};

OdbcChannel::OdbcChannel() : handles(std::make_unique<Handles>()) {
#ifndef _WIN32
    // unixODBC hands a driver without the W functions (SQLite's) its text in the character set
    // of the locale, and SQLite reads UTF-8: in the "C" locale every accent would be lost.
    std::setlocale(LC_CTYPE, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
#endif
}

OdbcChannel::~OdbcChannel() {
    for (auto &[number, open] : handles->statements)
        SQLFreeHandle(SQL_HANDLE_STMT, open.stmt);
    if (handles->connected)
        SQLDisconnect(handles->dbc);
    if (handles->dbc)
        SQLFreeHandle(SQL_HANDLE_DBC, handles->dbc);
    if (handles->env)
        SQLFreeHandle(SQL_HANDLE_ENV, handles->env);
}

DbReply OdbcChannel::serve(const DbRequest &request) {
    DbReply reply;
    if (request.operation != DbOperation::Connect && !handles->connected) {
        reply.kind = DbReplyKind::Malformed;
        reply.message = "el puente de la base de datos aún no está conectado";
    } else {
        switch (request.operation) {
        case DbOperation::Connect:
            reply = connect(request);
            break;
        case DbOperation::Execute:
            reply = execute(request);
            break;
        case DbOperation::Fetch:
            reply = fetch(request);
            break;
        case DbOperation::Close:
            reply = close(request);
            break;
        case DbOperation::Transaction:
            reply = transaction(request);
            break;
        }
    }
    reply.number = request.number;
    return reply;
}

DbReply OdbcChannel::connect(const DbRequest &request) {
    if (handles->connected) {
        DbReply reply;
        reply.kind = DbReplyKind::Malformed;
        reply.message = "el puente de la base de datos ya está conectado";
        return reply;
    }
    if (!handles->env) {
        if (!succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handles->env)))
            return failure(SQL_HANDLE_ENV, nullptr, "No se pudo iniciar ODBC");
        SQLSetEnvAttr(handles->env, SQL_ATTR_ODBC_VERSION, SQLPOINTER(SQL_OV_ODBC3), 0);
        if (!succeeded(SQLAllocHandle(SQL_HANDLE_DBC, handles->env, &handles->dbc)))
            return failure(SQL_HANDLE_ENV, handles->env, "No se pudo iniciar ODBC");
    }
    SQLWCHAR completed[1024];
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLDriverConnectW(
        handles->dbc, nullptr, const_cast<SQLWCHAR *>(wide(request.text)), SQL_NTS, completed,
        SQLSMALLINT(sizeof completed / sizeof completed[0]), &length, SQL_DRIVER_NOPROMPT);
    if (!succeeded(rc))
        return failure(SQL_HANDLE_DBC, handles->dbc, "No se pudo conectar");
    handles->connected = true;
    return {};
}

DbReply OdbcChannel::execute(const DbRequest &request) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, handles->dbc, &stmt)))
        return failure(SQL_HANDLE_DBC, handles->dbc, "No se pudo preparar la sentencia");
    std::vector<Parameter> parameters(request.parameters.size());
    auto refuse = [&](const char *what) {
        DbReply reply = failure(SQL_HANDLE_STMT, stmt, what);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return reply;
    };
    if (!succeeded(SQLPrepareW(stmt, const_cast<SQLWCHAR *>(wide(request.text)), SQL_NTS)))
        return refuse("No se pudo preparar la sentencia");
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (!succeeded(bind(stmt, SQLUSMALLINT(i + 1), request.parameters[i], parameters[i])))
            return refuse("No se pudo pasar un parámetro");
    const SQLRETURN rc = SQLExecute(stmt);
    // An update that matched no row answers SQL_NO_DATA.
    if (!succeeded(rc) && rc != SQL_NO_DATA)
        return refuse("La sentencia falló");
    DbReply reply;
    SQLLEN affected = -1;
    if (rc != SQL_NO_DATA && succeeded(SQLRowCount(stmt, &affected)))
        reply.rowsAffected = affected;
    else if (rc == SQL_NO_DATA)
        reply.rowsAffected = 0;
    SQLSMALLINT columns = 0;
    if (rc != SQL_NO_DATA && !succeeded(SQLNumResultCols(stmt, &columns)))
        return refuse("No se pudieron leer las columnas");
    Handles::Open open{stmt, {}};
    for (SQLSMALLINT c = 1; c <= columns; ++c) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (!succeeded(SQLDescribeColW(stmt, SQLUSMALLINT(c), name,
                                       SQLSMALLINT(sizeof name / sizeof name[0]), &nameLength,
                                       &sqlType, &size, &digits, &nullable)))
            return refuse("No se pudieron leer las columnas");
        DbColumn column;
        column.name = terminated(name, sizeof name / sizeof name[0]);
        column.type = typeOf(sqlType);
        open.types.push_back(column.type);
        reply.columns.push_back(std::move(column));
    }
    if (columns == 0) {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return reply;
    }
    reply.statement = ++handles->lastStatement;
    reply.atEnd = false;
    handles->statements[reply.statement] = std::move(open);
    return reply;
}

DbReply OdbcChannel::fetch(const DbRequest &request) {
    const auto found = handles->statements.find(request.statement);
    DbReply reply;
    if (found == handles->statements.end()) {
        reply.kind = DbReplyKind::Malformed;
        reply.message = "la sentencia " + std::to_string(request.statement) + " no está abierta";
        return reply;
    }
    const Handles::Open &open = found->second;
    reply.statement = request.statement;
    reply.atEnd = false;
    std::size_t bytes = 0;
    while (reply.rows.size() < request.maxRows && bytes < kRowBatchBytes) {
        const SQLRETURN rc = SQLFetch(open.stmt);
        if (rc == SQL_NO_DATA) {
            reply.atEnd = true;
            break;
        }
        if (!succeeded(rc)) {
            reply = failure(SQL_HANDLE_STMT, open.stmt, "No se pudo leer una fila");
            break;
        }
        std::vector<DbValue> &row = reply.rows.emplace_back(open.types.size());
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (!succeeded(readColumn(open.stmt, SQLUSMALLINT(c + 1), open.types[c], row[c]))) {
                reply = failure(SQL_HANDLE_STMT, open.stmt, "No se pudo leer una columna");
                break;
            }
            bytes += encodedSize(row[c]);
        }
        if (reply.kind != DbReplyKind::Done)
            break;
    }
    if (reply.kind != DbReplyKind::Done || reply.atEnd) {
        SQLFreeHandle(SQL_HANDLE_STMT, open.stmt);
        handles->statements.erase(found);
    }
    return reply;
}

DbReply OdbcChannel::close(const DbRequest &request) {
    const auto found = handles->statements.find(request.statement);
    if (found != handles->statements.end()) {
        SQLFreeHandle(SQL_HANDLE_STMT, found->second.stmt);
        handles->statements.erase(found);
    }
    return {};
}

DbReply OdbcChannel::transaction(const DbRequest &request) {
    SQLHDBC dbc = handles->dbc;
    if (request.transaction == DbTransaction::Begin) {
        if (!succeeded(SQLSetConnectAttrW(dbc, SQL_ATTR_AUTOCOMMIT, SQLPOINTER(SQL_AUTOCOMMIT_OFF),
                                          SQL_IS_UINTEGER)))
            return failure(SQL_HANDLE_DBC, dbc, "No se pudo empezar la transacción");
        return {};
    }
    const bool ended = succeeded(
        SQLEndTran(SQL_HANDLE_DBC, dbc,
                   request.transaction == DbTransaction::Commit ? SQL_COMMIT : SQL_ROLLBACK));
    DbReply reply =
        ended ? DbReply() : failure(SQL_HANDLE_DBC, dbc, "No se pudo terminar la transacción");
    SQLSetConnectAttrW(dbc, SQL_ATTR_AUTOCOMMIT, SQLPOINTER(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER);
    return reply;
}

} // namespace robot::bridge
