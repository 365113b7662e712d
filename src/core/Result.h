#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>
#include <variant>

namespace robot {

// Why a call failed, in words the operator or the technician reads (Spanish, saying what
// happened and what to do). Returned in place of a value: `return Failure{text};`.
struct Failure {
    QString message;
};

// What a call that can fail for a reason worth telling returns: its value, or the reason.
// The caller asks ok() before value(); nothing is thrown.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : content(std::in_place_index<0>, std::move(value)) {}
    Result(Failure why) : content(std::in_place_index<1>, std::move(why)) {}

    bool ok() const { return content.index() == 0; }
    const T &value() const {
        Q_ASSERT(ok());
        return *std::get_if<0>(&content);
    }
    // Empty when the call went well.
    QString error() const { return ok() ? QString() : std::get_if<1>(&content)->message; }

private:
    std::variant<T, Failure> content;
};

// A call that gives nothing back but may fail: `return {};` when it went well.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure why) : failure(std::move(why.message)) {}

    bool ok() const { return !failure; }
    QString error() const { return failure.value_or(QString()); }

private:
    std::optional<QString> failure;
};

} // namespace robot
