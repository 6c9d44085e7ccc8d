// What an operation of ops/ ended with: success, or the reason in the words the user reads (a
// program adds only where it happened, such as a file's name). One convention for every
// operation: no caller asks whether an empty text, or -1, means success.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace orvel {

struct Failure {
    std::string text;
};

class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Failure failure) : error_(std::move(failure.text)) {}

    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    std::string error() const { return error_.value_or(std::string()); }
    // This failure, or what `next` ends with.
    template <typename Next>
    Status Then(Next next) const {
        return ok() ? Status(next()) : *this;
    }

private:
    std::optional<std::string> error_;
};

// A value, or why there is none.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : value_(std::move(failure)) {}

    bool ok() const { return value_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& operator*() { return std::get<T>(value_); }
    const T& operator*() const { return std::get<T>(value_); }
    const T* operator->() const { return &std::get<T>(value_); }
    std::string error() const { return ok() ? std::string() : std::get<Failure>(value_).text; }
    Status status() const { return ok() ? Status() : Status(std::get<Failure>(value_)); }
    // Moves the value to `target`; a failure leaves it as it was.
    Status Into(T& target) {
        if (ok())
            target = std::move(std::get<T>(value_));
        return status();
    }

private:
    std::variant<T, Failure> value_;
};

}  // namespace orvel
