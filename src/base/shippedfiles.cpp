#include "base/shippedfiles.h"

#include <QDir>
#include <QFileInfo>

QString shippedFilePath(const QString& programFile, const QString& relativePath) {
    const QDir folder(QFileInfo(programFile).absolutePath());
    const QString beside = folder.filePath(relativePath);
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(folder.filePath(QStringLiteral("../share/brevane/") + relativePath));
}

bool isLoopbackHost(const QString& host) {
    QString name = host.toLower();
    if (name.startsWith(u'[')) {
        name = name.mid(1, name.indexOf(u']') - 1);
    } else if (name.count(u':') == 1) {
        name.truncate(name.indexOf(u':'));
    }
    if (name == QLatin1String("localhost") || name.endsWith(QLatin1String(".localhost")) ||
        name == QLatin1String("::1"))
        return true;
    const QStringList parts = name.split(u'.');
    if (parts.size() != 4 || parts.first() != QLatin1String("127"))
        return false;
    for (const QString& part : parts) {
        bool ok = false;
        if (part.toUInt(&ok) > 255 || !ok)
            return false;
    }
    return true;
}

QUrl sitePageUrl(const QString& host, const QString& scheme, const QString& path,
                 const QString& programFile, const QString& bundledPage) {
    if (host.isEmpty())
        return QUrl::fromLocalFile(
            shippedFilePath(programFile, QStringLiteral("help/") + bundledPage));
    // No certificate a browser trusts can name a loopback address, so a service on this machine
    // (a maker trying the service locally) is asked for its pages over plain http.
    const QString used = isLoopbackHost(host) ? QStringLiteral("http") : scheme;
    return QUrl(used + QStringLiteral("://") + host + path);
}
