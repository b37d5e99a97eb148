#include "base/regularfile.h"

#include "base/atomicfile.h"

#include <QFile>
#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

RegularFileRead failed(int err, QString reason) {
    RegularFileRead r;
    r.status = RegularFileRead::Status::Failed;
    r.sysErrno = err;
    r.reason = std::move(reason);
    return r;
}

RegularFileRead failedErrno(int err) {
    return failed(err, qt_error_string(err));
}

QString tooLarge(qint64 size, qint64 maxBytes) {
    const QLocale c = QLocale::c();
    return QStringLiteral("The file is too large to load (%1 bytes; at most %2 bytes).")
        .arg(c.toString(size), c.toString(maxBytes));
}

} // namespace

RegularFileRead readRegularFile(const QString& path, qint64 maxBytes) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    // Looked at before opening: opening a device can already act on it (a serial line raises
    // its modem lines, a FIFO waits for a writer).
    if (::stat(name.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return failedErrno(errno);
    }
    if (S_ISDIR(st.st_mode))
        return failedErrno(EISDIR);
    if (!S_ISREG(st.st_mode))
        return failed(0, QStringLiteral("Not a regular file."));
    if (st.st_size > maxBytes)
        return failed(0, tooLarge(st.st_size, maxBytes));

    const int fd = openRetrying(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? RegularFileRead{} : failedErrno(errno);
    RegularFileRead result;
    // The path may have been swapped between the look and the open.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed(0, QStringLiteral("Not a regular file."));
    }
    try {
        QByteArray bytes;
        bytes.reserve(qsizetype(st.st_size));
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                if (bytes.size() + n > maxBytes) { // grew while being read
                    ::close(fd);
                    return failed(0, tooLarge(bytes.size() + n, maxBytes));
                }
                bytes.append(buf, n);
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                const int err = errno;
                ::close(fd);
                return failedErrno(err);
            }
        }
        result.bytes = std::move(bytes);
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return failed(ENOMEM, QStringLiteral("Not enough memory to load the file."));
    }
    ::close(fd);
    result.status = RegularFileRead::Status::Ok;
    return result;
}
