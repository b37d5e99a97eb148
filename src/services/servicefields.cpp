#include "services/servicefields.h"

#include "i18n/loadlanguage.h"

#include <QFile>
#include <QMessageAuthenticationCode>
#include <QUuid>

#include <sys/utsname.h>

#include <cctype>
#include <mutex>

namespace {

// This program's application id for machine-id(5); never change it, or every machine would
// appear as a new one to the service.
// c8652e39-b930-489b-a4e9-49a966937825
constexpr QUuid kApplicationId{0xc8652e39, 0xb930, 0x489b, 0xa4, 0xe9, 0x49,
                               0xa9,       0x66,   0x93,   0x78, 0x25};

// The value of an os-release line: unquoted, or in single or double quotes (with backslash
// escapes in double quotes).
QString osReleaseValue(const QByteArray& raw) {
    const QString text = QString::fromUtf8(raw.trimmed());
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        const QString inner = text.mid(1, text.size() - 2);
        if (text.front() == '\'')
            return inner;
        QString out;
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner[i] == '\\' && i + 1 < inner.size())
                ++i;
            out.append(inner[i]);
        }
        return out;
    }
    return text;
}

QByteArray readSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64 * 1024);
}

} // namespace

QString osDescriptionFor(const QByteArray& osReleaseText, const QString& kernelRelease,
                         bool sixtyFourBit) {
    QString name = QStringLiteral("Linux");
    QString versionId;
    for (const QByteArray& line : osReleaseText.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0 || line.trimmed().startsWith('#'))
            continue;
        const QByteArray key = line.left(eq).trimmed();
        if (key == "PRETTY_NAME") {
            if (const QString value = osReleaseValue(line.mid(eq + 1)); !value.isEmpty())
                name = value;
        } else if (key == "VERSION_ID") {
            versionId = osReleaseValue(line.mid(eq + 1));
        }
    }
    QString text = name + QStringLiteral(" (");
    if (!versionId.isEmpty())
        text += QStringLiteral("Version ") + versionId + QStringLiteral(", ");
    text += QStringLiteral("Kernel ") + kernelRelease + QStringLiteral(", ");
    text += sixtyFourBit ? QStringLiteral("64-bit Edition)") : QStringLiteral("32-bit Edition)");
    return text;
}

QString OsDescription() {
    static std::once_flag once;
    static QString description;
    std::call_once(once, [] {
        QByteArray osRelease = readSmallFile(QStringLiteral("/etc/os-release"));
        if (osRelease.isEmpty())
            osRelease = readSmallFile(QStringLiteral("/usr/lib/os-release"));
        utsname names{};
        QString kernel;
        QByteArray machine;
        if (uname(&names) == 0) {
            kernel = QString::fromUtf8(names.release);
            machine = names.machine;
        }
        // The system's word size, not this build's: a 32-bit build on a 64-bit kernel says so.
        const bool sixtyFour = sizeof(void*) == 8 || machine.contains("64") || machine == "s390x";
        description = osDescriptionFor(osRelease, kernel, sixtyFour);
    });
    return description;
}

QString machineGuidFor(const QByteArray& machineIdText) {
    QByteArray id = machineIdText;
    if (id.endsWith('\n'))
        id.chop(1);
    if (id.size() != 32)
        return {};
    for (const char c : id)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
    const QByteArray key = QByteArray::fromHex(id);
    QByteArray digest = QMessageAuthenticationCode::hash(kApplicationId.toRfc4122(), key,
                                                         QCryptographicHash::Sha256)
                            .left(16);
    digest[6] = static_cast<char>((digest[6] & 0x0F) | 0x40);
    digest[8] = static_cast<char>((digest[8] & 0x3F) | 0x80);
    return QUuid::fromRfc4122(digest).toString(QUuid::WithoutBraces);
}

QString ReadMachineGuid() {
    return machineGuidFor(readSmallFile(QStringLiteral("/etc/machine-id")));
}

ServiceIdentity currentServiceIdentity(const QString& mainCaption, const QString& shortVersion) {
    return {mainCaption, shortVersion, OsDescription(), UserLocaleName(), ReadMachineGuid()};
}

QStringList commonFields(const ServiceIdentity& identity) {
    return {QStringLiteral("appname=") + identity.appName,
            QStringLiteral("version=") + identity.version, QStringLiteral("os=") + identity.os,
            QStringLiteral("local=") + identity.locale, QStringLiteral("guid=") + identity.guid};
}
