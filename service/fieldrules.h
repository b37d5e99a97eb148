// FieldRules: the checks every submitted form value goes through before the service uses it.
// Lengths count Unicode characters (code points), not bytes, so a limit means the same for any
// language; text that is not valid UTF-8 is refused rather than guessed at.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class FieldRules {
public:
    // Number of characters in UTF-8 text; nullopt when the bytes are not valid UTF-8
    // (overlong forms, surrogates and values past U+10FFFF included).
    static std::optional<std::size_t> countCharacters(std::string_view utf8);

    // True when the text holds no control character (below U+0020, or DEL).
    static bool isSingleLine(std::string_view text);

    // Checks one value; returns the reason it is refused, or empty text when it is fine.
    // Multi-line values may hold CR, LF and TAB but no other control character.
    static std::string check(std::string_view name, std::string_view value, std::size_t maxChars,
                             bool multiLine = false);
};
