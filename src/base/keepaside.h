#pragma once

// Setting aside a file the program could not read (wholly or in part) before anything is
// written in its place, so what the user wrote is never lost. The file goes to the first free
// name of path + ".unreadable", ".unreadable.2", ".unreadable.3", ...; nothing that exists is
// ever replaced.

#include <QByteArray>
#include <QString>

struct KeptAside {
    QString path;     // where the original now is; empty on failure
    int sysErrno = 0; // the failure's errno
    bool ok() const { return !path.isEmpty(); }
};

// Renames the file at `path` (a link itself, not its target) to the free name.
KeptAside moveAside(const QString& path);
// Writes `bytes` (the original file as read) as a new file under the free name, with the
// original's permission bits; the original stays where it is. An earlier copy that holds the
// same bytes is named instead of writing another.
KeptAside copyAside(const QString& path, const QByteArray& bytes);
