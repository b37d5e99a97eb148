#pragma once

// Reading a whole file the user keeps (settings, schedule, a file of lines to send). Only a
// regular file is read: a FIFO, a device or a folder in its place is refused at once and never
// waited on or read without end, and a file larger than the caller's limit is refused before
// anything is read, so no file can hang the program or exhaust its memory.

#include <QByteArray>
#include <QString>

struct RegularFileRead {
    enum class Status { Ok, Missing, Failed };
    Status status = Status::Missing;
    QByteArray bytes; // Ok: the whole file
    int sysErrno = 0; // Failed: the system's error; 0 when the file was refused by the rules above
    QString reason;   // Failed: the reason, ready to show after the file's name
    bool ok() const { return status == Status::Ok; }
};

// The default limit: far above any settings or schedule file, and what 32-bit offsets address.
inline constexpr qint64 kMaxRegularFileBytes = qint64(1) << 30;

// Missing when nothing is at `path` (a dangling link included); Failed with a reason when it
// cannot be read whole.
RegularFileRead readRegularFile(const QString& path, qint64 maxBytes = kMaxRegularFileBytes);
