#include "services/checkerstore.h"

#include "base/atomicfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <cstring>

namespace {

const QString kSection = QStringLiteral("[Settings]");

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
    QFile file(filePath());
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return {false, file.errorString()};
        for (const QByteArray& raw : file.readAll().split('\n')) {
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
