#pragma once
// What a reader, writer or engine gives back: its value, or the sentence that
// says why there is none. Status is the same for operations with no value.
// The message is the text the user sees, so callers show it as it stands.
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace corvane {

// A failure's message; converts to any Result or Status (`return fail(...)`).
struct Failure {
    std::string message;
};

inline Failure fail(std::string message) { return Failure{std::move(message)}; }

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure f) : message_(std::move(f.message)) {}

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }

    // The value; only for a result that is ok (value() throws otherwise).
    T& value() { return ok() ? *value_ : throw std::logic_error(message_); }
    const T& value() const { return ok() ? *value_ : throw std::logic_error(message_); }
    T value_or(T other) const { return ok() ? *value_ : std::move(other); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }

    // Why it failed; empty when ok.
    const std::string& message() const { return message_; }

private:
    std::optional<T> value_;
    std::string message_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure f) : failed_(true), message_(std::move(f.message)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& message() const { return message_; }

private:
    bool failed_ = false;
    std::string message_;
};

using Status = Result<void>;

// Status from the older convention of a message that is empty on success.
inline Status statusFrom(std::string message)
{
    if (message.empty()) return {};
    return fail(std::move(message));
}

}  // namespace corvane
