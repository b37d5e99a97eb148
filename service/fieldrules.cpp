#include "fieldrules.h"

std::optional<std::size_t> FieldRules::countCharacters(std::string_view utf8) {
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + length > utf8.size())
            return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        i += length;
        ++count;
    }
    return count;
}

bool FieldRules::isSingleLine(std::string_view text) {
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return false;
    }
    return true;
}

std::string FieldRules::check(std::string_view name, std::string_view value, std::size_t maxChars,
                              bool multiLine) {
    const auto count = countCharacters(value);
    if (!count)
        return std::string(name) + " is not UTF-8";
    if (*count > maxChars)
        return std::string(name) + " too long";
    for (char c : value) {
        const auto u = static_cast<unsigned char>(c);
        const bool lineBreak = c == '\r' || c == '\n' || c == '\t';
        if ((u < 0x20 || u == 0x7F) && !(multiLine && lineBreak))
            return std::string(name) + " holds a control character";
    }
    return {};
}
