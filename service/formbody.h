// FormBody: the fields of an application/x-www-form-urlencoded request body.
// Decodes "+" and %XX escapes; refuses a broken escape, a repeated field name (so no one can
// slip a second value past the checks) and more fields than any client of ours sends.
#pragma once

#include "parsed.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class FormBody {
public:
    static constexpr std::size_t kMaxFields = 32;

    static Parsed<FormBody> parse(std::string_view body);

    // The decoded value of a field, or nullptr when the body does not name it.
    const std::string* find(std::string_view name) const;
    const std::vector<std::pair<std::string, std::string>>& fields() const { return m_fields; }

private:
    std::vector<std::pair<std::string, std::string>> m_fields;
};
