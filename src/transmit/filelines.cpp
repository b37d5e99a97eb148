#include "transmit/filelines.h"

#include "base/regularfile.h"
#include "transmit/textfile.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Row offsets are 31 bits; a file is never larger than this.
constexpr qint64 kMaxFileBytes = qint64(1) << 30;

// Half of what the system can still give, so loading never pushes the machine into swapping
// or the program into an allocation failure; -1 when it cannot be told.
qint64 availableMemory() {
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : meminfo.readAll().split('\n'))
        if (line.startsWith("MemAvailable:"))
            return line.mid(13).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

bool isBreak(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

FileLines FileLines::fromBytes(QByteArray bytes) {
    FileLines lines;
    qsizetype begin = 0;
    if (QByteArrayView(bytes).isValidUtf8()) {
        if (bytes.startsWith("\xEF\xBB\xBF"))
            begin = 3; // exactly one mark: a second one is the first row's text
    } else if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
               bytes.startsWith("\xFE\xFF")) {
        // Marked but not UTF-8: decoded once and kept as UTF-8 (the only case with a copy).
        const QString text = decodeTextFile(bytes);
        bytes = QByteArray(); // the decoded text replaces the bytes, never both at once
        bytes = text.toUtf8();
    } else {
        lines.m_latin1 = true;
    }

    // One pass to count, so the row list is allocated once.
    const char* data = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype count = 0;
    for (qsizetype i = begin; i < n; ++i)
        if (isBreak(data[i]) && !(data[i] == '\r' && i + 1 < n && data[i + 1] == '\n'))
            ++count;
    if (n > begin && !isBreak(data[n - 1]))
        ++count;
    lines.m_rows.reserve(count);
    qsizetype start = begin;
    while (start < n) {
        lines.m_rows.append(quint32(start));
        const char* end = std::find_if(data + start, data + n, isBreak);
        qsizetype i = end - data;
        if (i < n && data[i] == '\r' && i + 1 < n && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    lines.m_bytes = std::move(bytes);
    return lines;
}

FileLines FileLines::fromStrings(const QStringList& rows) {
    FileLines lines;
    lines.m_edited = rows;
    lines.m_rows.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        lines.m_rows.append(kEdited | quint32(i));
    return lines;
}

QString FileLines::at(qsizetype row) const {
    if (row < 0 || row >= m_rows.size())
        return QString();
    const quint32 value = m_rows[row];
    if (value & kEdited)
        return m_edited.value(value & ~kEdited);
    const char* data = m_bytes.constData();
    const char* begin = data + value;
    const char* end = std::find_if(begin, data + m_bytes.size(), isBreak);
    if (m_latin1)
        return QString::fromLatin1(begin, end - begin);
    // A row that begins with U+FEFF keeps it (QString::fromUtf8 would drop it).
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    return utf8.decode(QByteArrayView(begin, end - begin));
}

void FileLines::replace(qsizetype row, const QString& text) {
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row] = kEdited | quint32(m_edited.size());
    m_edited.append(text);
}

void FileLines::remove(qsizetype row, qsizetype count) {
    if (row < 0 || count <= 0 || row + count > m_rows.size())
        return;
    m_rows.remove(row, count);
}

QStringList FileLines::toStringList() const {
    QStringList rows;
    rows.reserve(m_rows.size());
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        rows.append(at(i));
    return rows;
}

FileLinesRead readFileLines(const QString& path, qint64 maxBytes, qint64 memoryBudget) {
    FileLinesRead result;
    if (path.isEmpty())
        return result;
    if (maxBytes < 0 || memoryBudget < 0) {
        const qint64 available = availableMemory();
        const qint64 half = available < 0 ? kMaxFileBytes : std::min(kMaxFileBytes, available / 2);
        if (maxBytes < 0)
            maxBytes = half;
        if (memoryBudget < 0)
            memoryBudget = half;
    }
    RegularFileRead file = readRegularFile(path, std::min(maxBytes, kMaxFileBytes));
    if (file.status == RegularFileRead::Status::Missing)
        return result;
    result.exists = true;
    const QString name = QStringLiteral("\"") + path + QStringLiteral("\". ");
    if (!file.ok()) {
        result.error = QStringLiteral("Cannot open file ") + name + file.reason;
        return result;
    }
    // Every line break may start a row (a CR LF counted twice errs on the safe side).
    const qint64 rows = file.bytes.count('\n') + file.bytes.count('\r') + 1;
    if (qint64(file.bytes.size()) + rows * kFileRowMemoryBytes > memoryBudget) {
        result.error = QStringLiteral("Cannot open file ") + name +
                       QStringLiteral("Not enough memory to load the file.");
        return result;
    }
    try {
        result.lines = FileLines::fromBytes(std::move(file.bytes));
    } catch (const std::bad_alloc&) {
        result.error = QStringLiteral("Cannot open file ") + name +
                       QStringLiteral("Not enough memory to load the file.");
    }
    return result;
}
