// The one way everything fallible in the cores answers: the value it was asked for, or an error
// saying why not. Nothing is thrown in the cores; the shells turn an error into their own words
// (a console line, an exit code, a banner) at their edges.
#pragma once

#include <string>
#include <type_traits>
#include <utility>
#include <variant>

// The usual error: one line, in the user's terms, saying what failed and why.
struct Error {
    std::string message;
};

// An error of type E, marked so that a Result can be made from it unambiguously, also when E and
// T are the same type.
template <typename E>
struct Unexpected {
    E error;
};

template <typename E>
Unexpected<std::decay_t<E>> Fail(E&& error) {
    return {std::forward<E>(error)};
}
inline Unexpected<Error> Fail(std::string message) {
    return {Error{std::move(message)}};
}
inline Unexpected<Error> Fail(const char* message) {
    return {Error{message}};
}

// A value of T, or an error of E. [[nodiscard]]: an answer nobody looks at is how a failure
// passes for a success.
template <typename T, typename E = Error>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    template <typename F>
    Result(Unexpected<F> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

    bool Ok() const { return state_.index() == 0; }
    explicit operator bool() const { return Ok(); }

    // Only on an Ok result.
    T& Value() { return std::get<0>(state_); }
    const T& Value() const { return std::get<0>(state_); }
    T& operator*() { return Value(); }
    const T& operator*() const { return Value(); }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }

    // Only on a failed result.
    const E& Err() const { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

// Success with nothing to hand back, or an error.
template <typename E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    template <typename F>
    Result(Unexpected<F> failure) : error_(std::move(failure.error)), failed_(true) {}

    bool Ok() const { return !failed_; }
    explicit operator bool() const { return Ok(); }
    const E& Err() const { return error_; }

private:
    E error_{};
    bool failed_ = false;
};

using Status = Result<void>;
