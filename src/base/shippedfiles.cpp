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

QUrl sitePageUrl(const QString& host, const QString& scheme, const QString& path,
                 const QString& programFile, const QString& bundledPage) {
    if (host.isEmpty())
        return QUrl::fromLocalFile(
            shippedFilePath(programFile, QStringLiteral("help/") + bundledPage));
    return QUrl(scheme + QStringLiteral("://") + host + path);
}
