#pragma once

// What every fuzz target shares: a reader that cuts one input into several byte strings, and
// a check that stops the run with a message when a property fails, so libFuzzer (or the
// replay driver in the test build) reports the input as a finding.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Cuts the input into pieces: a piece ends at a backslash followed by any byte but a backslash
// (that byte is dropped), and "\\" stands for one backslash, so every byte value can appear in a
// piece and small edits of the input make small edits of the pieces.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size)
        : m_data(reinterpret_cast<const char*>(data)), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }

    QByteArray bytes() {
        QByteArray out;
        while (m_pos < m_size) {
            const char c = m_data[m_pos++];
            if (c == '\\' && m_pos < m_size) {
                if (m_data[m_pos++] != '\\')
                    break;
            }
            out.append(c);
        }
        return out;
    }
    // A piece as text the way a user's input arrives: UTF-8, broken sequences replaced.
    QString text() { return QString::fromUtf8(bytes()); }
    // One byte as a small number (0 when the input is used up).
    unsigned byte() { return m_pos < m_size ? static_cast<unsigned char>(m_data[m_pos++]) : 0; }
    quint32 word() {
        quint32 v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | byte();
        return v;
    }
    // The rest of the input, whole.
    QByteArray rest() {
        QByteArray out(m_data + m_pos, static_cast<qsizetype>(m_size - m_pos));
        m_pos = m_size;
        return out;
    }

private:
    const char* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Quoted for the finding's message: printable ASCII as it is, everything else escaped.
inline QByteArray fuzzShow(const QString& text) {
    QByteArray out;
    for (const QChar c : text) {
        if (c.unicode() >= 32 && c.unicode() < 127 && c != u'\\')
            out.append(char(c.unicode()));
        else
            out.append(QByteArray("\\u") +
                       QByteArray::number(c.unicode(), 16).rightJustified(4, '0'));
    }
    return '"' + out + '"';
}

// Allocations glibc keeps for the life of the process (its cache of loaded locales) are not
// leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:argz_add_sep\n"
           "leak:_nl_find_locale\n"
           "leak:_nl_load_locale\n";
}

#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::fprintf(stderr, __VA_ARGS__);                                                     \
            std::fprintf(stderr, "\n");                                                            \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
