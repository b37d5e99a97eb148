#include "receive/trafficlog.h"

#include "base/atomicfile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString trafficLogPath(const QString& directory, const QDate& date, const QString& kind) {
    QString path = directory;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + kind +
           QStringLiteral(".txt");
}

bool appendTrafficLog(const QString& directory, const QDate& date, const QString& kind,
                      const QString& text) {
    if (directory.isEmpty() || !QDir().mkpath(directory))
        return false;
    const QByteArray path = QFile::encodeName(trafficLogPath(directory, date, kind));
    const int fd = openRetrying(
        path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const bool whole = writeFully(fd, text.toUtf8()) == 0;
    // A full disk (or a file-size limit) stops the write part way: cut the file back so it
    // never ends in half an entry.
    if (!whole && ::ftruncate(fd, st.st_size) != 0)
        qWarning("traffic log: cannot cut back %s after a short write", path.constData());
    ::close(fd);
    return whole;
}
