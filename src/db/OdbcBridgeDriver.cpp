#include "db/OdbcBridgeDriver.h"

#include "db/OdbcBridgeClient.h"
#include "platform/PrinterLibraryLocation.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <QVariant>
#include <mutex>
#include <vector>

namespace robot {

using bridge::DbReply;
using bridge::DbRequest;
using bridge::DbType;
using bridge::DbValue;

namespace {

// Rows asked for at a time: one refresh's few rows in one reply, a long list in a few.
constexpr std::uint32_t kBatchRows = 512;

std::u16string utf16(const QString &text) {
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), text.size());
}

QString fromUtf16(const std::u16string &text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

QMetaType metaTypeOf(DbType type) {
    switch (type) {
    case DbType::Null:
        return QMetaType();
    case DbType::Int16:
        return QMetaType::fromType<short>();
    case DbType::Int32:
        return QMetaType::fromType<int>();
    case DbType::Int64:
        return QMetaType::fromType<qlonglong>();
    case DbType::Double:
        return QMetaType::fromType<double>();
    case DbType::Bit:
        return QMetaType::fromType<bool>();
    case DbType::Date:
        return QMetaType::fromType<QDate>();
    case DbType::Timestamp:
        return QMetaType::fromType<QDateTime>();
    case DbType::Text:
        break;
    }
    return QMetaType::fromType<QString>();
}

QVariant toVariant(const DbValue &value) {
    switch (value.type) {
    case DbType::Null:
        return {};
    case DbType::Int16:
        return QVariant::fromValue(short(value.integer));
    case DbType::Int32:
        return int(value.integer);
    case DbType::Int64:
        return qlonglong(value.integer);
    case DbType::Double:
        return value.real;
    case DbType::Bit:
        return value.integer != 0;
    case DbType::Text:
        return fromUtf16(value.text);
    case DbType::Date:
        return QDate(value.year, value.month, value.day);
    case DbType::Timestamp:
        return QDateTime(
            QDate(value.year, value.month, value.day),
            QTime(value.hour, value.minute, value.second, int(value.fraction / 1000000)));
    }
    return {};
}

DbValue toValue(const QVariant &variant) {
    DbValue value;
    if (variant.isNull())
        return value;
    switch (variant.typeId()) {
    case QMetaType::Bool:
        value.type = DbType::Bit;
        value.integer = variant.toBool() ? 1 : 0;
        break;
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        value.type = DbType::Int64;
        value.integer = variant.toLongLong();
        break;
    case QMetaType::Float:
    case QMetaType::Double:
        value.type = DbType::Double;
        value.real = variant.toDouble();
        break;
    case QMetaType::QDate: {
        const QDate d = variant.toDate();
        value.type = DbType::Date;
        value.year = short(d.year());
        value.month = std::uint8_t(d.month());
        value.day = std::uint8_t(d.day());
        break;
    }
    case QMetaType::QDateTime: {
        const QDateTime t = variant.toDateTime();
        value.type = DbType::Timestamp;
        value.year = short(t.date().year());
        value.month = std::uint8_t(t.date().month());
        value.day = std::uint8_t(t.date().day());
        value.hour = std::uint8_t(t.time().hour());
        value.minute = std::uint8_t(t.time().minute());
        value.second = std::uint8_t(t.time().second());
        break;
    }
    default:
        value.type = DbType::Text;
        value.text = utf16(variant.toString());
        break;
    }
    return value;
}

QString replyError(const DbReply &reply) {
    const QString message =
        QString::fromUtf8(reply.message.data(), qsizetype(reply.message.size()));
    return reply.sqlState.empty()
               ? message
               : QStringLiteral("%1 (%2)").arg(
                     message,
                     QString::fromLatin1(reply.sqlState.data(), qsizetype(reply.sqlState.size())));
}

class OdbcBridgeResult final : public QSqlResult {
public:
    explicit OdbcBridgeResult(const OdbcBridgeDriver *driver)
        : QSqlResult(driver), owner(const_cast<OdbcBridgeDriver *>(driver)) {}
    ~OdbcBridgeResult() override { release(); }

protected:
    QVariant data(int field) override {
        const std::size_t row = std::size_t(at() - first);
        if (row >= rows.size() || field < 0 || std::size_t(field) >= rows[row].size())
            return {};
        return toVariant(rows[row][std::size_t(field)]);
    }
    bool isNull(int field) override { return data(field).isNull(); }
    bool reset(const QString &query) override { return prepare(query) && exec(); }
    bool prepare(const QString &query) override {
        release();
        statementText = query;
        return true;
    }
    bool exec() override {
        release();
        setActive(false);
        setAt(QSql::BeforeFirstRow);
        DbRequest request;
        request.operation = bridge::DbOperation::Execute;
        request.text = utf16(statementText);
        for (const QVariant &bound : boundValues())
            request.parameters.push_back(toValue(bound));
        const std::optional<DbReply> reply = ask(request, QSqlError::StatementError);
        if (!reply)
            return false;
        affected = reply->rowsAffected;
        columns.clear();
        for (const bridge::DbColumn &column : reply->columns) {
            QSqlField field(fromUtf16(column.name), metaTypeOf(column.type));
            columns.append(field);
        }
        statement = reply->statement;
        atEnd = statement == 0;
        first = 0;
        setSelect(!reply->columns.empty());
        setActive(true);
        return true;
    }
    bool fetch(int index) override {
        if (index < first && isForwardOnly())
            return false;
        while (index >= first + int(rows.size()) && !atEnd)
            if (!load())
                return false;
        if (index < first || index >= first + int(rows.size()))
            return false;
        setAt(index);
        return true;
    }
    bool fetchNext() override { return fetch(at() < 0 ? 0 : at() + 1); }
    bool fetchFirst() override { return fetch(0); }
    bool fetchLast() override {
        while (!atEnd)
            if (!load())
                return false;
        return !rows.empty() && fetch(first + int(rows.size()) - 1);
    }
    int size() override { return -1; }
    int numRowsAffected() override { return int(affected); }
    QSqlRecord record() const override { return isSelect() ? columns : QSqlRecord(); }
    void detachFromResultSet() override { release(); }

private:
    // The next batch; a forward-only query forgets the rows already read.
    bool load() {
        DbRequest request;
        request.operation = bridge::DbOperation::Fetch;
        request.statement = statement;
        request.maxRows = kBatchRows;
        std::optional<DbReply> reply = ask(request, QSqlError::StatementError);
        if (!reply) {
            statement = 0;
            atEnd = true;
            return false;
        }
        if (isForwardOnly()) {
            first += int(rows.size());
            rows.clear();
        }
        for (std::vector<DbValue> &row : reply->rows)
            rows.push_back(std::move(row));
        atEnd = reply->atEnd;
        if (atEnd)
            statement = 0; // the bridge closed it
        return true;
    }
    void release() {
        if (statement != 0 && owner->client().running()) {
            DbRequest request;
            request.operation = bridge::DbOperation::Close;
            request.statement = statement;
            ask(request, QSqlError::StatementError);
        }
        statement = 0;
        atEnd = true;
        rows.clear();
        first = 0;
    }
    std::optional<DbReply> ask(const DbRequest &request, QSqlError::ErrorType type) {
        if (!owner->isOpen()) {
            setLastError(QSqlError(QString(),
                                   QStringLiteral("La conexión con la base de datos "
                                                  "está cerrada."),
                                   QSqlError::ConnectionError));
            return std::nullopt;
        }
        Result<DbReply> reply = owner->client().ask(request);
        if (!reply.ok()) {
            owner->lose(reply.error());
            setLastError(QSqlError(QString(), reply.error(), QSqlError::ConnectionError));
            return std::nullopt;
        }
        if (reply.value().kind != bridge::DbReplyKind::Done) {
            setLastError(QSqlError(QString(), replyError(reply.value()), type,
                                   QString::fromStdString(reply.value().sqlState)));
            return std::nullopt;
        }
        return std::move(reply.value());
    }

    OdbcBridgeDriver *owner;
    QString statementText;
    QSqlRecord columns;
    std::vector<std::vector<DbValue>> rows;
    int first = 0; // the index of rows[0]
    std::uint32_t statement = 0;
    bool atEnd = true;
    qint64 affected = -1;
};

} // namespace

const QString OdbcBridgeDriver::kName = QStringLiteral("ROBOTBRIDGEODBC");

void OdbcBridgeDriver::registerDriver() {
    static std::once_flag once;
    std::call_once(once, [] {
        QSqlDatabase::registerSqlDriver(kName, new QSqlDriverCreator<OdbcBridgeDriver>);
    });
}

OdbcBridgeDriver::OdbcBridgeDriver(QObject *parent)
    : QSqlDriver(parent), bridge(new OdbcBridgeClient) {}

OdbcBridgeDriver::~OdbcBridgeDriver() {
    delete bridge;
}

bool OdbcBridgeDriver::hasFeature(DriverFeature feature) const {
    switch (feature) {
    case Transactions:
    case PreparedQueries:
    case PositionalPlaceholders:
    case Unicode:
    case FinishQuery:
        return true;
    default:
        return false;
    }
}

bool OdbcBridgeDriver::open(const QString &db, const QString &, const QString &, const QString &,
                            int, const QString &) {
    close();
    if (const Result<void> started = bridge->start(platform::databaseBridgeCommand());
        !started.ok()) {
        setLastError(QSqlError(QString(), started.error(), QSqlError::ConnectionError));
        setOpenError(true);
        return false;
    }
    DbRequest request;
    request.operation = bridge::DbOperation::Connect;
    request.text = utf16(db);
    const Result<DbReply> reply = bridge->ask(request);
    if (!reply.ok() || reply.value().kind != bridge::DbReplyKind::Done) {
        setLastError(QSqlError(QString(), reply.ok() ? replyError(reply.value()) : reply.error(),
                               QSqlError::ConnectionError));
        bridge->stop();
        setOpenError(true);
        return false;
    }
    setOpen(true);
    setOpenError(false);
    return true;
}

void OdbcBridgeDriver::close() {
    bridge->stop();
    setOpen(false);
}

void OdbcBridgeDriver::lose(const QString &why) {
    setLastError(QSqlError(QString(), why, QSqlError::ConnectionError));
    setOpen(false);
}

QSqlResult *OdbcBridgeDriver::createResult() const {
    return new OdbcBridgeResult(this);
}

bool OdbcBridgeDriver::transaction(int step, const QString &what) {
    if (!isOpen())
        return false;
    DbRequest request;
    request.operation = bridge::DbOperation::Transaction;
    request.transaction = bridge::DbTransaction(step);
    const Result<DbReply> reply = bridge->ask(request);
    if (!reply.ok()) {
        lose(reply.error());
        return false;
    }
    if (reply.value().kind != bridge::DbReplyKind::Done) {
        setLastError(QSqlError(QString(), what + QStringLiteral(": ") + replyError(reply.value()),
                               QSqlError::TransactionError));
        return false;
    }
    return true;
}

bool OdbcBridgeDriver::beginTransaction() {
    return transaction(int(bridge::DbTransaction::Begin),
                       QStringLiteral("No se pudo empezar la transacción"));
}

bool OdbcBridgeDriver::commitTransaction() {
    return transaction(int(bridge::DbTransaction::Commit),
                       QStringLiteral("No se pudo confirmar la transacción"));
}

bool OdbcBridgeDriver::rollbackTransaction() {
    return transaction(int(bridge::DbTransaction::Rollback),
                       QStringLiteral("No se pudo deshacer la transacción"));
}

} // namespace robot
