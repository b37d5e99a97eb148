#include "receive/textmatcher.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>

TextMatcher::TextMatcher(QStringView needle, Qt::CaseSensitivity cs)
    : m_insensitive(cs == Qt::CaseInsensitive) {
    for (int c = 0; c < 256; ++c)
        m_fold[size_t(c)] =
            m_insensitive ? char16_t(QChar::toCaseFolded(char32_t(c))) : char16_t(c);
    m_needle.reserve(size_t(needle.size()));
    for (QChar c : needle)
        m_needle.push_back(fold(c.unicode()));
    const qsizetype n = size();
    m_shift.fill(std::max<qsizetype>(n, 1));
    if (n == 0)
        return;
    // Bytes by what they fold to, so each needle character finds the bytes that match it.
    QHash<char16_t, QVarLengthArray<uchar, 2>> bytesFor;
    for (int c = 0; c < 256; ++c)
        bytesFor[m_fold[size_t(c)]].append(uchar(c));
    for (qsizetype j = 0; j + 1 < n; ++j) {
        const auto found = bytesFor.constFind(m_needle[size_t(j)]);
        if (found != bytesFor.constEnd())
            for (uchar b : *found)
                m_shift[b] = n - 1 - j;
    }
}

qsizetype TextMatcher::firstIn(const uchar* h, qsizetype from, qsizetype to) const {
    const qsizetype n = size();
    if (n == 0)
        return -1;
    const char16_t lastChar = m_needle.back();
    for (qsizetype i = from; i < to;) {
        const uchar c = h[i + n - 1];
        if (m_fold[c] == lastChar) {
            qsizetype j = n - 2;
            while (j >= 0 && m_fold[h[i + j]] == m_needle[size_t(j)])
                --j;
            if (j < 0)
                return i;
        }
        i += m_shift[c];
    }
    return -1;
}

qsizetype TextMatcher::firstIn(const char16_t* h, qsizetype from, qsizetype to) const {
    const qsizetype n = size();
    if (n == 0)
        return -1;
    for (qsizetype i = from; i < to; ++i) {
        qsizetype j = 0;
        while (j < n && fold(h[i + j]) == m_needle[size_t(j)])
            ++j;
        if (j == n)
            return i;
    }
    return -1;
}
