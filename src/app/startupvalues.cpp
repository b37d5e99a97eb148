#include "app/startupvalues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>

namespace {
StartupValues& values() {
    static StartupValues v;
    return v;
}

QString withTrailingSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
} // namespace

const StartupValues& startupValues() {
    return values();
}

void setStartupValues(StartupValues v) {
    values() = std::move(v);
}

bool IsFolderWritable(const QString& folder) {
    const QByteArray probe = QFile::encodeName(withTrailingSlash(folder) + "chk.tmp");
    int fd;
    do {
        fd = ::open(probe.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

bool isInstalledProgramFolder(const QString& programFolder) {
    const auto isSystemFolder = [](const QString& path) {
        return path == QLatin1String("/bin") || path == QLatin1String("/sbin") ||
               path == QLatin1String("/usr") || path.startsWith(QLatin1String("/usr/"));
    };
    const QString clean = QDir::cleanPath(QDir(programFolder).absolutePath());
    // On a merged /usr, /bin is a link to /usr/bin; either name counts.
    const QString canonical = QFileInfo(clean).canonicalFilePath();
    if (isSystemFolder(clean) || (!canonical.isEmpty() && isSystemFolder(canonical)))
        return true;
    const QDir folder(clean);
    return !QFileInfo(folder.filePath(QStringLiteral("Languages"))).isDir() &&
           QFileInfo(folder.filePath(QStringLiteral("../share/brevane"))).isDir();
}

QString chooseSettingsFolder(const QString& programFolder, const QString& configHome,
                             const QString& companyName, const QString& productName) {
    if (!isInstalledProgramFolder(programFolder) && IsFolderWritable(programFolder))
        return withTrailingSlash(programFolder);
    const QString folder =
        withTrailingSlash(configHome) + companyName + QLatin1Char('/') + productName;
    // A failure here shows later, when the first setting cannot be written.
    QDir().mkpath(folder);
    return withTrailingSlash(folder);
}

QString currentListSeparator() {
    return listSeparatorFor(QString::fromLocal8Bit(nl_langinfo(RADIXCHAR)));
}
