#include "port/deviceerror.h"

#include <cerrno>

DeviceError DeviceError::fromErrno(Kind kind, int err, const QString& what) {
    DeviceError e;
    e.kind = kind;
    e.sysErrno = err;
    // A lock held by someone else is the one case where the system's words ("Resource
    // temporarily unavailable", "Device or resource busy") would mislead the user.
    if (kind == InUse && (err == EWOULDBLOCK || err == EBUSY)) {
        e.detail = what + QStringLiteral(": the port is in use by another program");
        return e;
    }
    e.detail = what + QStringLiteral(": ") + qt_error_string(err);
    // Serial devices belong to the dialout group on most distributions; say so where the
    // user reads the reason.
    if (err == EACCES || err == EPERM)
        e.detail += QStringLiteral(": add your user to the dialout group");
    return e;
}
