#include "base/atomicfile.h"

#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

int openRetrying(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int writeFully(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        p += n;
        left -= n;
    }
    return 0;
}

namespace {

const char kTempMiddle[] = ".brevane-";
const char kTempEnd[] = ".tmp";
constexpr int kSuffixLength = 6;

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

// A settings file kept as a symlink (dotfiles in a repository) stays one: the link's target
// is replaced instead of the link.
QByteArray resolveTarget(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    if (char* real = ::realpath(path.constData(), nullptr)) {
        QByteArray resolved(real);
        std::free(real);
        return resolved;
    }
    // A dangling link (its target not made yet, say a dotfile still to be written): the target
    // is written through the link, link by link, as long as the folder it names exists.
    QByteArray current = path;
    for (int hop = 0; hop < 40; ++hop) {
        if (::lstat(current.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.constData(), target.data(), target.size());
        if (n <= 0 || n >= target.size())
            return path;
        target.truncate(n);
        current = target.startsWith('/') ? target : folderOf(current) + '/' + target;
    }
    if (::lstat(current.constData(), &st) == 0)
        return path; // a loop of links, or something that appeared meanwhile
    const qsizetype slash = current.lastIndexOf('/');
    char* folder = ::realpath(folderOf(current).constData(), nullptr);
    if (!folder)
        return path; // nowhere to write the target: the link itself is replaced
    QByteArray resolved = QByteArray(folder) + '/' + current.mid(slash + 1);
    std::free(folder);
    return resolved;
}

QByteArray randomSuffix() {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray s(kSuffixLength, '\0');
    for (char& c : s)
        c = kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))];
    return s;
}

bool sameFile(int fd, const QByteArray& path) {
    struct stat a {
    }, b{};
    return ::fstat(fd, &a) == 0 && ::lstat(path.constData(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// Creates a new temporary file beside `target`, named so it is recognisably this program's,
// and holds a lock on it while it is written, so the start-up clean-up of another copy never
// takes a file still in use. The fd, or -1 with errno set.
int createTemporary(const QByteArray& target, QByteArray& temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = target + kTempMiddle + randomSuffix() + kTempEnd;
        // Mode 0666 lets the umask (and a default ACL) decide, as for any newly created file.
        const int fd =
            openRetrying(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        // A clean-up may have taken the name between the create and the lock: start over.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, temp))
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Writes `bytes` to a new file beside `target` and renames it over `target`, so readers see
// either the old file or the complete new one. 0 on success, else the errno of the failure.
int replaceFile(const QByteArray& target, const QByteArray& bytes) {
    QByteArray temp;
    int fd = createTemporary(target, temp);
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

    if (const int err = writeFully(fd, bytes))
        return fail(err);
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return fail(errno);
    // Renamed while still open and locked, so no clean-up can take it first; fsync has already
    // reported any write error, so closing afterwards loses nothing.
    if (::rename(temp.constData(), target.constData()) != 0)
        return fail(errno);
    ::close(fd);
    fd = -1;

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

int removeStaleTemporaries(const QString& path) {
    const QByteArray target = resolveTarget(QFile::encodeName(path));
    const QByteArray folder = folderOf(target);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray prefix = (slash < 0 ? target : target.mid(slash + 1)) + kTempMiddle;
    const qsizetype nameLength = prefix.size() + kSuffixLength + qsizetype(sizeof kTempEnd) - 1;
    const auto isOurs = [&](const QByteArray& name) {
        if (name.size() != nameLength || !name.startsWith(prefix) || !name.endsWith(kTempEnd))
            return false;
        for (char c : name.mid(prefix.size(), kSuffixLength))
            if (!std::isalnum(static_cast<unsigned char>(c)))
                return false;
        return true;
    };

    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return 0;
    QList<QByteArray> candidates;
    while (const dirent* entry = ::readdir(dir))
        if (isOurs(QByteArray(entry->d_name)))
            candidates.append(folder + '/' + entry->d_name);
    ::closedir(dir);

    int removed = 0;
    for (const QByteArray& candidate : candidates) {
        const int fd =
            openRetrying(candidate.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        // Only a plain file of this user's whose writer is gone (its lock died with it).
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && sameFile(fd, candidate) &&
            ::unlink(candidate.constData()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

int removeFileKeepingLink(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return errno;
    if (S_ISLNK(st.st_mode))
        return replaceFileAtomically(path, QByteArray());
    return ::unlink(name.constData()) == 0 ? 0 : errno;
}
