#include "base/keepaside.h"

#include "base/atomicfile.h"
#include "base/regularfile.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxNames = 1000;

QByteArray asideName(const QByteArray& path, int n) {
    QByteArray name = path + ".unreadable";
    if (n > 1)
        name += '.' + QByteArray::number(n);
    return name;
}

// rename() that never replaces an existing file. 0 or errno.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without RENAME_NOREPLACE: a hard link fails on an existing name too.
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

} // namespace

KeptAside moveAside(const QString& path) {
    const QByteArray from = QFile::encodeName(path);
    int err = EEXIST;
    for (int n = 1; n <= kMaxNames && err == EEXIST; ++n) {
        const QByteArray to = asideName(from, n);
        err = renameNoReplace(from, to);
        if (err == 0)
            return {QFile::decodeName(to), 0};
    }
    return {QString(), err};
}

KeptAside copyAside(const QString& path, const QByteArray& bytes) {
    const QByteArray from = QFile::encodeName(path);
    struct stat st {};
    const mode_t mode = ::stat(from.constData(), &st) == 0 ? (st.st_mode & 0777) : 0666;
    for (int n = 1; n <= kMaxNames; ++n) {
        const QByteArray to = asideName(from, n);
        const int fd = openRetrying(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno != EEXIST)
                return {QString(), errno};
            // A copy made at an earlier start that still holds these bytes is named again, so
            // starting over and over without a save does not pile up copies.
            const RegularFileRead earlier = readRegularFile(QFile::decodeName(to), bytes.size());
            if (earlier.ok() && earlier.bytes == bytes)
                return {QFile::decodeName(to), 0};
            continue;
        }
        int err = writeFully(fd, bytes);
        if (err == 0 && ::fsync(fd) != 0)
            err = errno;
        ::close(fd);
        if (err != 0) {
            ::unlink(to.constData());
            return {QString(), err};
        }
        return {QFile::decodeName(to), 0};
    }
    return {QString(), EEXIST};
}
