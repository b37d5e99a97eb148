#pragma once

// PortSystemPaths: the system files the device layer reads to tell who holds a port and why
// one may not be opened. Real devices use the process-wide defaults; tests point them at
// files of their own.

#include <QString>
#include <QStringList>

struct PortSystemPaths {
    // Folders where other programs leave UUCP lock files ("LCK..ttyUSB0").
    QStringList lockDirs{QStringLiteral("/var/lock"), QStringLiteral("/run/lock")};
    // Where /proc/locks and /proc/<pid>/comm are found.
    QString procDir = QStringLiteral("/proc");
    // The group table, in the format of /etc/group.
    QString groupFile = QStringLiteral("/etc/group");

    // What a device made without its own paths uses.
    static PortSystemPaths defaults();
    static void setDefaults(const PortSystemPaths& paths);
};
