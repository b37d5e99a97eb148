#include "formbody.h"

#include <optional>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

Parsed<FormBody> FormBody::parse(std::string_view body) {
    FormBody form;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string_view::npos)
            end = body.size();
        const std::string_view pair = body.substr(start, end - start);
        start = end + 1;
        if (pair.empty())
            continue; // "a=1&&b=2" and a trailing "&" are harmless
        const std::size_t eq = pair.find('=');
        auto name = decode(pair.substr(0, eq));
        auto value = eq == std::string_view::npos ? std::optional<std::string>(std::string())
                                                  : decode(pair.substr(eq + 1));
        if (!name || !value)
            return Parsed<FormBody>::fail("malformed form encoding");
        if (name->empty())
            return Parsed<FormBody>::fail("field without a name");
        if (form.find(*name))
            return Parsed<FormBody>::fail("field " + *name + " given twice");
        if (form.m_fields.size() == kMaxFields)
            return Parsed<FormBody>::fail("too many fields");
        form.m_fields.emplace_back(std::move(*name), std::move(*value));
    }
    return Parsed<FormBody>::ok(std::move(form));
}

const std::string* FormBody::find(std::string_view name) const {
    for (const auto& [n, v] : m_fields) {
        if (n == name)
            return &v;
    }
    return nullptr;
}
