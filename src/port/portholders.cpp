#include "port/portholders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// An HDB lock file is 11 bytes; anything past this is not a PID.
constexpr qsizetype kLockFileReadLimit = 64;

// Reads the start of a regular file. The lock folders are writable by everyone: a FIFO or a
// device put there under a lock file's name must neither block nor be read.
std::optional<QByteArray> readRegularFile(const QString& path, qsizetype limit) {
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::optional<QByteArray> content;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        QByteArray bytes(limit, '\0');
        qsizetype got = 0;
        while (got < limit) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(limit - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
        content = bytes;
    }
    ::close(fd);
    return content;
}

bool allDigits(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

void addName(QStringList& names, const QString& name) {
    if (!name.isEmpty() && !names.contains(name))
        names.append(name);
}

void addNamesFor(QStringList& names, const QString& path) {
    const QString pts = QStringLiteral("/dev/pts/");
    if (path.startsWith(pts)) {
        const QString number = path.mid(pts.size());
        if (!number.isEmpty() && !number.contains(QLatin1Char('/'))) {
            addName(names, QStringLiteral("LCK..pts_") + number);
            addName(names, QStringLiteral("LCK..pts.") + number);
        }
        return;
    }
    const QString base = QFileInfo(path).fileName();
    if (!base.isEmpty() && base != QLatin1String(".") && base != QLatin1String(".."))
        addName(names, QStringLiteral("LCK..") + base);
}

} // namespace

QString PortHolder::describe() const {
    QString text = QStringLiteral("PID %1").arg(pid);
    if (!command.isEmpty())
        text += QStringLiteral(" (") + command + QLatin1Char(')');
    return text;
}

QStringList uucpLockNames(const QString& devicePath) {
    QStringList names;
    addNamesFor(names, devicePath);
    const QString target = QFileInfo(devicePath).canonicalFilePath();
    if (!target.isEmpty())
        addNamesFor(names, target);
    return names;
}

qint64 uucpLockPid(const QByteArray& content) {
    if (content.contains('\0')) {
        // Binary: a real PID (at most 2^22) always has zero bytes, which text never has.
        if (content.size() != int(sizeof(qint32)))
            return 0;
        qint32 pid = 0;
        std::memcpy(&pid, content.constData(), sizeof pid);
        return pid > 0 ? pid : 0;
    }
    // HDB: the PID right-aligned in ten characters and a newline; some programs add their
    // name after it on the same line.
    const qsizetype end = content.indexOf('\n');
    const QByteArray line = (end < 0 ? content : content.first(end)).simplified();
    const QByteArray first = line.split(' ').constFirst();
    if (!allDigits(first) || first.size() > 10)
        return 0;
    const qint64 pid = first.toLongLong();
    return pid > 0 && pid <= INT_MAX ? pid : 0;
}

bool processIsAlive(qint64 pid) {
    // 0 and negative numbers would ask about process groups, not one process.
    if (pid <= 0 || pid > INT_MAX)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QString processCommand(qint64 pid, const QString& procDir) {
    if (pid <= 0)
        return {};
    const std::optional<QByteArray> comm =
        readRegularFile(procDir + QStringLiteral("/%1/comm").arg(pid), kLockFileReadLimit);
    if (!comm)
        return {};
    // Another program chose this name; it goes into a message box as plain text.
    QString name = QString::fromLocal8Bit(comm->trimmed());
    for (QChar& c : name)
        if (!c.isPrint())
            c = QLatin1Char('?');
    return name;
}

std::optional<PortHolder> uucpLockHolder(const QString& devicePath, const PortSystemPaths& paths) {
    const QStringList names = uucpLockNames(devicePath);
    for (const QString& dir : paths.lockDirs) {
        for (const QString& name : names) {
            const QString file = QDir(dir).filePath(name);
            const std::optional<QByteArray> content = readRegularFile(file, kLockFileReadLimit);
            if (!content)
                continue;
            const qint64 pid = uucpLockPid(*content);
            if (!processIsAlive(pid))
                continue; // stale: its program ended without removing it
            PortHolder holder;
            holder.pid = pid;
            holder.command = processCommand(pid, paths.procDir);
            holder.lockFile = file;
            return holder;
        }
    }
    return std::nullopt;
}

QList<qint64> flockHolderPids(const QByteArray& procLocks, unsigned devMajor, unsigned devMinor,
                              quint64 inode) {
    // "1: FLOCK  ADVISORY  WRITE 12345 00:1a:3 0 EOF": the device number of the file's
    // filesystem in hex, the inode in decimal. Waiters follow their holder as "1: -> FLOCK".
    QList<qint64> pids;
    for (const QByteArray& line : procLocks.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields[1] != "FLOCK")
            continue;
        const QList<QByteArray> id = fields[5].split(':');
        if (id.size() != 3)
            continue;
        bool okMajor = false, okMinor = false, okInode = false, okPid = false;
        const unsigned major = id[0].toUInt(&okMajor, 16);
        const unsigned minor = id[1].toUInt(&okMinor, 16);
        const quint64 ino = id[2].toULongLong(&okInode, 10);
        const qint64 pid = fields[4].toLongLong(&okPid);
        if (!okMajor || !okMinor || !okInode || !okPid || major != devMajor || minor != devMinor ||
            ino != inode)
            continue;
        // A holder outside this process's view of PIDs is shown as 0 or -1.
        if (pid > 0 && !pids.contains(pid))
            pids.append(pid);
    }
    return pids;
}

namespace {

QList<PortHolder> flockHoldersOf(const struct stat& st, const PortSystemPaths& paths) {
    QFile locks(paths.procDir + QStringLiteral("/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return {};
    QList<PortHolder> holders;
    for (qint64 pid :
         flockHolderPids(locks.readAll(), major(st.st_dev), minor(st.st_dev), quint64(st.st_ino))) {
        PortHolder holder;
        holder.pid = pid;
        holder.command = processCommand(pid, paths.procDir);
        holders.append(holder);
    }
    return holders;
}

} // namespace

QList<PortHolder> flockHolders(int fd, const PortSystemPaths& paths) {
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return {};
    return flockHoldersOf(st, paths);
}

QList<PortHolder> flockHolders(const QString& path, const PortSystemPaths& paths) {
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return flockHoldersOf(st, paths);
}
