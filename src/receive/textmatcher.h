#pragma once

// TextMatcher: a search string compared after optional case folding, with the tables a fast
// search needs. Text of one byte per character (codes below 256) is searched with Horspool's
// method; text of 16-bit characters is compared character by character. Both find exactly the
// starts where every character of the needle equals the text's, folded alike.

#include <QStringView>

#include <array>
#include <vector>

class TextMatcher {
public:
    TextMatcher(QStringView needle, Qt::CaseSensitivity cs);

    qsizetype size() const { return qsizetype(m_needle.size()); }

    char16_t fold(char16_t c) const {
        if (c < 256)
            return m_fold[c];
        return m_insensitive ? char16_t(QChar::toCaseFolded(char32_t(c))) : c;
    }

    // The first start in [from, to) of a match lying wholly in `h` (h[to + size() - 2] exists);
    // -1 when there is none.
    qsizetype firstIn(const uchar* h, qsizetype from, qsizetype to) const;
    qsizetype firstIn(const char16_t* h, qsizetype from, qsizetype to) const;

private:
    bool m_insensitive;
    std::array<char16_t, 256> m_fold{};
    std::array<qsizetype, 256> m_shift{};
    std::vector<char16_t> m_needle;
};
