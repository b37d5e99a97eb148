#pragma once

// Replacing a file so that a crash or a full disk never leaves it half written: the new bytes
// go to a temporary file beside it, are flushed to disk and renamed over the old file. A file
// kept as a symbolic link stays one (its target is replaced), and a rewritten file keeps its
// permission bits. Temporary files are named "<file>.brevane-XXXXXX.tmp" and locked while in
// use, so the ones a killed process left behind can be told apart and removed.

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// 0 on success, else the errno of the step that failed; the old file is then untouched and no
// temporary file is left behind.
int replaceFileAtomically(const QString& path, const QByteArray& bytes);

// open() that retries when a signal interrupts it.
int openRetrying(const char* path, int flags, mode_t mode = 0);

// Writes all of `bytes` to `fd`, retrying short writes and interrupted ones. 0 on success, else
// the errno of the write that failed (EIO when one wrote nothing).
int writeFully(int fd, const QByteArray& bytes);

// Removes the temporary files that writes of the file at `path` left behind when the writer
// was killed: only this program's names, only plain files of this user, only those no running
// writer holds. Returns how many were removed.
int removeStaleTemporaries(const QString& path);

// Deletes the file at `path`; a file kept as a symbolic link keeps its link and its target is
// emptied instead. 0 on success, else the errno.
int removeFileKeepingLink(const QString& path);
