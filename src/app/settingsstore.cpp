#include "app/settingsstore.h"

#include "base/atomicfile.h"
#include "base/keepaside.h"
#include "base/regularfile.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringView>

#include <climits>
#include <cstring>
#include <optional>

namespace {

const char kBom[] = "\xEF\xBB\xBF";

// Far beyond any settings file; a larger one is not read (it is set aside like any file that
// cannot be read) rather than risk the memory it would take.
constexpr qint64 kMaxFileBytes = qint64(256) << 20;

// Trims white space and control characters only: Unicode spaces such as U+00A0 belong to the
// text a user typed.
QStringView trimControls(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin].unicode() <= 32)
        ++begin;
    while (end > begin && s[end - 1].unicode() <= 32)
        --end;
    return s.sliced(begin, end - begin);
}

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Optional sign, then decimal digits or "0x" and hex digits; nothing else, and only what fits
// in an int. Only ASCII digits count, so other scripts' digits do not sneak in.
std::optional<int> parseInteger(QStringView s) {
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    int base = 10;
    if (s.size() - i >= 2 && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == s.size())
        return std::nullopt;
    qint64 magnitude = 0;
    for (; i < s.size(); ++i) {
        const int d = digitValue(s[i], base);
        if (d < 0)
            return std::nullopt;
        magnitude = magnitude * base + d;
        if (magnitude > qint64(INT_MAX) + 1) // stop early so a long digit run cannot overflow
            return std::nullopt;
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return int(value);
}

bool hasLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

// The file's text; `lossless` tells whether every byte was decoded.
QString decodeSettings(QByteArrayView data, bool& lossless) {
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        // An editor may have saved it as UTF-16; the next write stores UTF-8 again.
        QStringDecoder utf16(data[0] == '\xFF' ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        const QByteArrayView body = data.sliced(2);
        QString text = utf16.decode(body);
        // The decoder flags neither a stray last byte nor a lone surrogate.
        lossless = !utf16.hasError() && body.size() % 2 == 0 && QStringView(text).isValidUtf16();
        // Two names that differ only in a lone surrogate would be written alike and the second
        // dropped on the next read: each becomes U+FFFD here, as bad UTF-8 bytes do.
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (text[i].isSurrogate())
                text[i] = QChar::ReplacementCharacter;
        }
        return text;
    }
    const bool marked = data.startsWith(kBom);
    if (marked)
        data = data.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(data);
    lossless = !utf8.hasError();
    // Without a mark, bytes that are not UTF-8 most likely come from an 8-bit editor.
    return lossless || marked ? text : QString::fromLatin1(data);
}

} // namespace

SettingsStore::SettingsStore(QString path) : m_path(std::move(path)) {}

SettingsStore::FileError SettingsStore::Load() {
    clear();
    m_memoryOnly = false;
    // A missing file (or a parent that is a plain file, so none can exist) is a first start;
    // the first write reports any problem with the folder.
    const RegularFileRead file = readRegularFile(m_path, kMaxFileBytes);
    if (file.status == RegularFileRead::Status::Missing)
        return {};
    const QString name = QStringLiteral("\"") + m_path + QStringLiteral("\"");

    if (file.ok()) {
        if (Parse(file.bytes))
            return {};
        QString text = QStringLiteral("Cannot read file ") + name +
                       QStringLiteral(" whole: it is not valid UTF-8 or UTF-16 text. What could "
                                      "be read is used; ");
        const KeptAside kept = copyAside(m_path, file.bytes);
        if (kept.ok()) {
            text += QStringLiteral("the file as it was is kept as \"") + kept.path +
                    QStringLiteral("\".");
        } else {
            m_memoryOnly = true;
            text += QStringLiteral("no copy of it can be kept (") + qt_error_string(kept.sysErrno) +
                    QStringLiteral("), so it is left as it is and this run keeps its settings in "
                                   "memory only.");
        }
        return {text, kept.sysErrno};
    }

    QString text = QStringLiteral("Cannot read file ") + name + QStringLiteral(". ") + file.reason;
    if (!text.endsWith(u'.'))
        text += u'.';
    const KeptAside kept = moveAside(m_path);
    if (kept.ok()) {
        text += QStringLiteral(" It is kept as \"") + kept.path +
                QStringLiteral("\", and the settings start from their defaults.");
    } else {
        m_memoryOnly = true;
        text += QStringLiteral(" It cannot be moved aside either (") +
                qt_error_string(kept.sysErrno) +
                QStringLiteral("), so it is left as it is and this run keeps its settings in "
                               "memory only.");
    }
    return {text, file.sysErrno};
}

void SettingsStore::clear() {
    // The entries go first: they may refer into the text.
    m_sectionIndex.clear();
    m_sections.clear();
    m_entries.clear();
    m_text.clear();
}

size_t caseFoldedHash(QStringView name, size_t seed) noexcept {
    size_t h = seed;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (c < 0x80) { // the common case, folded without a table lookup
            if (c >= u'A' && c <= u'Z')
                c += u'a' - u'A';
        } else {
            if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), name[++i].unicode());
            c = QChar::toCaseFolded(c);
        }
        h = (h ^ c) * 1099511628211ull;
    }
    return h;
}

SettingsStore::Section& SettingsStore::addSection(QString name) {
    m_sectionIndex.insert(FoldedName{name}, m_sections.size());
    m_sections.append(Section{std::move(name)});
    return m_sections.last();
}

void SettingsStore::addEntry(Section& section, Entry entry) {
    const qsizetype at = m_entries.size();
    m_entries.append(std::move(entry));
    if (section.last < 0)
        section.first = at;
    else
        m_entries[section.last].next = at;
    section.last = at;
}

bool SettingsStore::Parse(const QByteArray& bytes) {
    clear();
    bool lossless = true;
    m_text = decodeSettings(QByteArrayView(bytes), lossless);
    const QStringView all(m_text);
    // A piece of the text without a copy of its own.
    const auto piece = [](QStringView v) { return QString::fromRawData(v.data(), v.size()); };
    // Room for every line that may open a section, so a file of a million sections is not
    // copied again and again as the list and the index grow.
    qsizetype sections = 0;
    for (qsizetype i = 0; i < all.size(); ++i)
        if (all[i] == u'[' && (i == 0 || all[i - 1] == u'\n' || all[i - 1] == u'\r'))
            ++sections;
    m_sections.reserve(sections);
    m_sectionIndex.reserve(sections);

    Section* current = nullptr; // null before the first section and inside a repeated one
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = start;
        while (end < all.size() && all[end] != u'\r' && all[end] != u'\n')
            ++end;
        // CR LF yields an empty line between CR and LF, which is dropped like any empty line.
        const QStringView line = trimControls(all.sliced(start, end - start));
        start = end + 1;

        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            const QString name = piece(trimControls(line.sliced(1, line.size() - 2)));
            // One lookup: a new name gets the next position, a repeated section is dropped whole.
            const qsizetype known = m_sectionIndex.size();
            qsizetype& at = m_sectionIndex[FoldedName{name}];
            if (m_sectionIndex.size() == known) {
                current = nullptr;
            } else {
                at = m_sections.size();
                m_sections.append(Section{name});
                current = &m_sections.last();
            }
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            addEntry(*current, Entry{piece(line), QString(), -1, false});
        else
            addEntry(*current, Entry{piece(trimControls(line.first(eq))),
                                     piece(trimControls(line.sliced(eq + 1))), -1, true});
    }
    return lossless;
}

QByteArray SettingsStore::Serialize() const {
    // Encoded piece by piece into one buffer sized for the worst case: no copy of the whole
    // text as a string first.
    qsizetype chars = 0;
    for (const Section& section : m_sections) {
        chars += section.name.size() + 6;
        for (qsizetype e = section.first; e >= 0; e = m_entries[e].next)
            chars += m_entries[e].name.size() + m_entries[e].value.size() + 3;
    }
    QByteArray out(3 + 3 * chars, Qt::Uninitialized);
    char* p = out.data();
    std::memcpy(p, kBom, 3);
    p += 3;
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    const auto put = [&](QStringView text) { p = utf8.appendToBuffer(p, text); };
    const auto putAscii = [&](const char* text) {
        while (*text)
            *p++ = *text++;
    };
    for (const Section& section : m_sections) {
        putAscii("[");
        put(section.name);
        putAscii("]\r\n");
        for (qsizetype e = section.first; e >= 0; e = m_entries[e].next) {
            const Entry& entry = m_entries[e];
            put(entry.name);
            if (entry.hasValue) {
                putAscii("=");
                put(entry.value);
            }
            putAscii("\r\n");
        }
        putAscii("\r\n");
    }
    out.truncate(p - out.constData());
    return out;
}

SettingsStore::Section* SettingsStore::findSection(const QString& name) {
    const auto found = m_sectionIndex.constFind(FoldedName{name});
    return found == m_sectionIndex.cend() ? nullptr : &m_sections[*found];
}

const SettingsStore::Section* SettingsStore::findSection(const QString& name) const {
    return const_cast<SettingsStore*>(this)->findSection(name);
}

QString SettingsStore::ReadString(const QString& section, const QString& key,
                                  const QString& def) const {
    if (const Section* s = findSection(section)) {
        for (qsizetype e = s->first; e >= 0; e = m_entries[e].next) {
            const Entry& entry = m_entries[e];
            // A copy of its own: the caller may keep it longer than the store keeps the file.
            if (entry.hasValue && entry.name.compare(key, Qt::CaseInsensitive) == 0)
                return QString(entry.value.constData(), entry.value.size());
        }
    }
    return def;
}

int SettingsStore::ReadInteger(const QString& section, const QString& key, int def) const {
    return parseInteger(ReadString(section, key, QString())).value_or(def);
}

bool SettingsStore::WriteString(const QString& section, const QString& key, const QString& value) {
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value))
        return false;
    Section* s = findSection(section);
    if (!s)
        s = &addSection(section);
    for (qsizetype e = s->first; e >= 0; e = m_entries[e].next) {
        Entry& entry = m_entries[e];
        if (entry.hasValue && entry.name.compare(key, Qt::CaseInsensitive) == 0) {
            entry.value = value;
            return true;
        }
    }
    addEntry(*s, Entry{key, value, -1, true});
    return true;
}

bool SettingsStore::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

SettingsStore::FileError SettingsStore::UpdateFile() const {
    if (m_memoryOnly)
        return {};
    const int err = replaceFileAtomically(m_path, Serialize());
    if (err == 0)
        return {};
    return {QStringLiteral("Cannot create file \"") + m_path + QStringLiteral("\". ") +
                qt_error_string(err),
            err};
}

void SettingsStore::DeleteFile() const {
    if (!m_memoryOnly)
        removeFileKeepingLink(m_path); // a missing file is fine
}
