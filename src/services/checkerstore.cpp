#include "services/checkerstore.h"

#include "base/atomicfile.h"
#include "base/regularfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <cstring>

namespace {

const QString kSection = QStringLiteral("[Settings]");
// Five short values; a file far larger than that is not the store's.
constexpr qint64 kMaxStoreBytes = 1 << 20;

} // namespace

CheckerStore::CheckerStore(QString folder) : m_folder(std::move(folder)) {}

QString CheckerStore::folderFor(const QString& configHome, const QString& company,
                                const QString& mainCaption) {
    const QByteArray digest =
        QCryptographicHash::hash(mainCaption.toLatin1(), QCryptographicHash::Md5).toHex().toUpper();
    return configHome + QLatin1Char('/') + company + QStringLiteral("/ServiceModules/") +
           QString::fromLatin1(digest);
}

QString CheckerStore::filePath() const {
    return m_folder + QStringLiteral("/Settings.ini");
}

StoreResult CheckerStore::open() {
    m_values.clear();
    m_open = false;
    if (!QDir().mkpath(m_folder))
        return {false, QStringLiteral("Cannot create the folder %1").arg(m_folder)};
    // Left by a write that was killed; only this program's own temporaries of this file.
    removeStaleTemporaries(filePath());
    // A small file: anything that is not a regular file of reasonable size is refused, never
    // waited on (a FIFO) or read without end.
    const RegularFileRead read = readRegularFile(filePath(), kMaxStoreBytes);
    if (read.status == RegularFileRead::Status::Failed)
        return {false, read.reason};
    if (read.ok()) {
        for (const QByteArray& raw : read.bytes.split('\n')) {
            QString line = QString::fromUtf8(raw);
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (line.startsWith(QLatin1Char('[')) || eq <= 0)
                continue;
            m_values.append({line.left(eq), line.mid(eq + 1)});
        }
    }
    m_open = true;
    return {};
}

QString CheckerStore::readString(const QString& name, const QString& fallback) const {
    for (const auto& [key, value] : m_values)
        if (key == name)
            return value;
    return fallback;
}

int CheckerStore::readNumber(const QString& name, int fallback) const {
    bool ok = false;
    const int number = readString(name).toInt(&ok);
    return ok ? number : fallback;
}

StoreResult CheckerStore::writeString(const QString& name, const QString& value) {
    if (!m_open)
        return {false, QStringLiteral("The store is not open")};
    // A line break in a value would split it into two lines of the file.
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QList<QPair<QString, QString>> values = m_values;
    bool found = false;
    for (auto& entry : values)
        if (entry.first == name) {
            entry.second = clean;
            found = true;
        }
    if (!found)
        values.append({name, clean});
    QByteArray bytes = kSection.toUtf8() + '\n';
    for (const auto& [key, text] : values)
        bytes += (key + QLatin1Char('=') + text).toUtf8() + '\n';
    if (const int error = replaceFileAtomically(filePath(), bytes))
        return {false, QString::fromLocal8Bit(std::strerror(error))};
    m_values = values;
    return {};
}

StoreResult CheckerStore::writeNumber(const QString& name, int value) {
    return writeString(name, QString::number(value));
}
