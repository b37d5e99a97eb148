#include "app/atomicfile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int openRetrying(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

namespace {

// A settings file kept as a symlink (dotfiles in a repository) stays one: the link's target
// is replaced instead of the link.
QByteArray resolveTarget(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* real = ::realpath(path.constData(), nullptr);
    if (!real)
        return path; // dangling link: replacing the link itself is the best that can be done
    QByteArray resolved(real);
    std::free(real);
    return resolved;
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray randomSuffix() {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray s(6, '\0');
    for (char& c : s)
        c = kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))];
    return s;
}

// Writes `bytes` to a new file beside `target` and renames it over `target`, so readers see
// either the old file or the complete new one. 0 on success, else the errno of the failure.
int replaceFile(const QByteArray& target, const QByteArray& bytes) {
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = target + '.' + randomSuffix();
        // Mode 0666 lets the umask (and a default ACL) decide, as for any newly created file.
        fd = openRetrying(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            break;
    }
    if (fd < 0)
        return errno;

    auto fail = [&](int err) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.constData());
        return err;
    };

    struct stat st {};
    if (::stat(target.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 07777); // best effort: a user's chmod outlives the rewrite

    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (n == 0)
            return fail(EIO);
        p += n;
        left -= n;
    }
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return fail(errno);
    rc = ::close(fd);
    fd = -1;
    if (rc != 0 && errno != EINTR)
        return fail(errno);
    if (::rename(temp.constData(), target.constData()) != 0)
        return fail(errno);

    // Makes the rename itself survive a power cut; the new file is in place either way.
    const int dirFd =
        openRetrying(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

} // namespace

int replaceFileAtomically(const QString& path, const QByteArray& bytes) {
    return replaceFile(resolveTarget(QFile::encodeName(path)), bytes);
}
