#include "app/settingsstore.h"

#include "base/atomicfile.h"

#include <QFile>
#include <QSet>
#include <QStringView>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kBom[] = "\xEF\xBB\xBF";

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

// Reads the whole file; 0 on success, else the errno of the failure.
int readWholeFile(const QByteArray& path, QByteArray& out) {
    // O_NONBLOCK so that a FIFO put in the file's place cannot hang start-up.
    const int fd = openRetrying(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size < INT_MAX)
        out.reserve(qsizetype(st.st_size));
    int err = 0; // a folder fails here, with EISDIR
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, n);
        } else if (n == 0 || errno == EAGAIN) {
            break;
        } else if (errno != EINTR) {
            err = errno;
            break;
        }
    }
    ::close(fd);
    return err;
}

} // namespace

SettingsStore::SettingsStore(QString path) : m_path(std::move(path)) {}

SettingsStore::FileError SettingsStore::Load() {
    m_sections.clear();
    QByteArray bytes;
    const int err = readWholeFile(QFile::encodeName(m_path), bytes);
    // ENOTDIR: a parent is a plain file, so no settings file can exist; the first write will
    // report the problem.
    if (err == ENOENT || err == ENOTDIR)
        return {};
    if (err != 0)
        return {QStringLiteral("Cannot read file \"") + m_path + QStringLiteral("\". ") +
                    qt_error_string(err),
                err};
    Parse(bytes);
    return {};
}

void SettingsStore::Parse(const QByteArray& bytes) {
    m_sections.clear();
    QByteArrayView data(bytes);
    if (data.startsWith(kBom))
        data = data.sliced(3);
    const QString text = QString::fromUtf8(data);
    const QStringView all(text);

    // Case-folded names of the sections seen so far: a repeated section is dropped whole, and
    // the set keeps that check constant-time even for a huge file of distinct sections.
    QSet<QString> seen;
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
            const QString name = trimControls(line.sliced(1, line.size() - 2)).toString();
            const QString folded = name.toCaseFolded();
            if (seen.contains(folded)) {
                current = nullptr;
            } else {
                seen.insert(folded);
                m_sections.append(Section{name, {}});
                current = &m_sections.last();
            }
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            current->entries.append(Entry{line.toString(), QString(), false});
        else
            current->entries.append(Entry{trimControls(line.first(eq)).toString(),
                                          trimControls(line.sliced(eq + 1)).toString(), true});
    }
}

QByteArray SettingsStore::Serialize() const {
    const QLatin1StringView crlf("\r\n");
    QString text;
    for (const Section& section : m_sections) {
        text += u'[';
        text += section.name;
        text += u']';
        text += crlf;
        for (const Entry& entry : section.entries) {
            text += entry.name;
            if (entry.hasValue) {
                text += u'=';
                text += entry.value;
            }
            text += crlf;
        }
        text += crlf;
    }
    return QByteArray(kBom) + text.toUtf8();
}

SettingsStore::Section* SettingsStore::findSection(const QString& name) {
    for (Section& section : m_sections)
        if (section.name.compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    return nullptr;
}

const SettingsStore::Section* SettingsStore::findSection(const QString& name) const {
    return const_cast<SettingsStore*>(this)->findSection(name);
}

QString SettingsStore::ReadString(const QString& section, const QString& key,
                                  const QString& def) const {
    if (const Section* s = findSection(section))
        for (const Entry& entry : s->entries)
            if (entry.hasValue && entry.name.compare(key, Qt::CaseInsensitive) == 0)
                return entry.value;
    return def;
}

int SettingsStore::ReadInteger(const QString& section, const QString& key, int def) const {
    return parseInteger(ReadString(section, key, QString())).value_or(def);
}

void SettingsStore::WriteString(const QString& section, const QString& key, const QString& value) {
    Section* s = findSection(section);
    if (!s) {
        m_sections.append(Section{section, {}});
        s = &m_sections.last();
    }
    for (Entry& entry : s->entries) {
        if (entry.hasValue && entry.name.compare(key, Qt::CaseInsensitive) == 0) {
            entry.value = value;
            return;
        }
    }
    s->entries.append(Entry{key, value, true});
}

void SettingsStore::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

SettingsStore::FileError SettingsStore::UpdateFile() const {
    const int err = replaceFileAtomically(m_path, Serialize());
    if (err == 0)
        return {};
    return {QStringLiteral("Cannot create file \"") + m_path + QStringLiteral("\". ") +
                qt_error_string(err),
            err};
}
