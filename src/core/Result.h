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
// The caller asks ok() before value(); nothing is thrown. Where callers branch on why, `Why`
// is a type of the caller's own that carries a code beside its words (a `message`).
template <typename T, typename Why = Failure> class [[nodiscard]] Result {
public:
    Result(T value) : content(std::in_place_index<0>, std::move(value)) {}
    Result(Why why) : content(std::in_place_index<1>, std::move(why)) {}

    bool ok() const { return content.index() == 0; }
    const T &value() const {
        Q_ASSERT(ok());
        return *std::get_if<0>(&content);
    }
    T &value() {
        Q_ASSERT(ok());
        return *std::get_if<0>(&content);
    }
    const Why &why() const {
        Q_ASSERT(!ok());
        return *std::get_if<1>(&content);
    }
    // Empty when the call went well.
    QString error() const requires requires(const Why &w) { w.message; }
    { return ok() ? QString() : why().message; }

private:
    std::variant<T, Why> content;
};

// A call that gives nothing back but may fail: `return {};` when it went well.
template <typename Why> class [[nodiscard]] Result<void, Why> {
public:
    Result() = default;
    Result(Why why) : failure(std::move(why)) {}

    bool ok() const { return !failure; }
    const Why &why() const {
        Q_ASSERT(!ok());
        return *failure;
    }
    QString error() const requires requires(const Why &w) { w.message; }
    { return ok() ? QString() : failure->message; }

private:
    std::optional<Why> failure;
};

} // namespace robot
