// Parsed<T>: the outcome of reading untrusted input, either a value or the reason it was refused.
// Exactly one of the two is set; the reason is short English text fit for an "ERROR ..." reply.
#pragma once

#include <optional>
#include <string>
#include <utility>

template <class T> struct Parsed {
    std::optional<T> value;
    std::string error;

    static Parsed ok(T v) { return Parsed{std::move(v), {}}; }
    static Parsed fail(std::string reason) { return Parsed{std::nullopt, std::move(reason)}; }
    explicit operator bool() const { return value.has_value(); }
};
