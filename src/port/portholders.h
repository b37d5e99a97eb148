#pragma once

// Who holds a serial port: the live UUCP lock file other terminal programs leave in the lock
// folders ("LCK..ttyUSB0" holding a PID), and the holders of a flock on the device as
// /proc/locks lists them. Brevane only reads these; its own lock is the flock.

#include "port/portsystempaths.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct PortHolder {
    qint64 pid = 0;
    QString command;  // from /proc/<pid>/comm; empty when it cannot be read
    QString lockFile; // the lock file naming it; empty for a flock

    // "PID 1234 (minicom)", or "PID 1234" when the command is unknown.
    QString describe() const;
};

// The names, without folder, that terminal programs give a lock file of the device: the
// device's own name ("LCK..ttyUSB0"), for the name given and for the device a link leads to;
// "LCK..pts_3" and "LCK..pts.3" for /dev/pts/3, whose bare number would be ambiguous.
QStringList uucpLockNames(const QString& devicePath);

// The PID held by a lock file's content: HDB (ASCII decimal, padded, newline) or binary (a
// native 4-byte int). 0 when it holds none (empty, garbage, not a positive PID).
qint64 uucpLockPid(const QByteArray& content);

// True when a process with this PID exists (also one of another user).
bool processIsAlive(qint64 pid);

// The command name of a process as /proc tells it (printable characters only); empty when
// unknown.
QString processCommand(qint64 pid, const QString& procDir);

// The live holder named by a lock file of the device in one of the lock folders. Lock files
// whose process is gone, and files that hold no PID, are stale and ignored.
std::optional<PortHolder> uucpLockHolder(const QString& devicePath, const PortSystemPaths& paths);

// The PIDs that /proc/locks (its text) shows holding a flock on the file with this device
// number (major, minor of st_dev) and inode; waiters are not holders.
QList<qint64> flockHolderPids(const QByteArray& procLocks, unsigned devMajor, unsigned devMinor,
                              quint64 inode);

// The holders of a flock on the file open as `fd`, or on the file at `path`, with their
// command names.
QList<PortHolder> flockHolders(int fd, const PortSystemPaths& paths);
QList<PortHolder> flockHolders(const QString& path, const PortSystemPaths& paths);
