// Result of a parse: a value or an error with a code, the offset and a short context.
#pragma once

#include <cstdint>
#include <utility>
#include <variant>

namespace gw {

enum class ErrorCode {
    Truncated,    // a structure runs past the end of the data
    BadMagic,     // the data is not of the expected format
    BadHeader,    // a header field holds an impossible value
    TooLarge,     // a limit (image side, entry count, depth) was exceeded
    Unsupported,  // a valid but unsupported variant (compression, bit count)
    Loop,         // a directory refers back to itself
    NotFound,     // the requested resource does not exist
    Io,           // the file cannot be opened or mapped
    NoMemory,     // memory for the work could not be had
};

const char* ErrorCodeName(ErrorCode code);

struct Error {
    ErrorCode Code;
    std::uint64_t Offset = 0;
    const char* Context = "";
};

// A result dropped unread would be an error nobody heard of.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : FValue(std::move(value)) {}
    Result(Error error) : FValue(error) {}

    bool Ok() const { return std::holds_alternative<T>(FValue); }
    explicit operator bool() const { return Ok(); }
    T& Value() { return std::get<T>(FValue); }
    const T& Value() const { return std::get<T>(FValue); }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }
    T& operator*() { return Value(); }
    const T& operator*() const { return Value(); }
    const Error& Err() const { return std::get<Error>(FValue); }

private:
    std::variant<T, Error> FValue;
};

} // namespace gw
