#pragma once

// DeviceError: what went wrong below the windows, as a value. The device layer never shows a
// message and never exits; the window decides what the user sees and puts `detail` (the
// system's reason) into the message box's detail text.

#include <QString>

struct DeviceError {
    enum Kind { None, NotFound, InUse, NoPermission, BadSettings, Io };
    Kind kind = None;
    int sysErrno = 0;
    QString detail;

    explicit operator bool() const { return kind != None; }

    static DeviceError fromErrno(Kind kind, int err, const QString& what);
};
