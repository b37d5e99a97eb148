#include "port/loopbackdevice.h"

#include <algorithm>
#include <cerrno>

namespace {

DeviceError notOpen(const char* what) {
    return DeviceError::fromErrno(DeviceError::Io, EBADF,
                                  QStringLiteral("%1 loop://").arg(QLatin1String(what)));
}

} // namespace

DeviceError LoopbackDevice::open() {
    m_open = true;
    return {};
}

DeviceError LoopbackDevice::configure(const LineSettings&) {
    if (!m_open)
        return notOpen("Cannot set up");
    return {};
}

qint64 LoopbackDevice::read(char* buffer, qint64 max, DeviceError* error) {
    if (!m_open) {
        if (error)
            *error = notOpen("Cannot read from");
        return -1;
    }
    const qint64 n = std::min<qint64>(max, m_pending.size());
    if (n <= 0)
        return 0;
    std::copy_n(m_pending.constData(), n, buffer);
    m_pending.remove(0, n);
    return n;
}

qint64 LoopbackDevice::write(const char* data, qint64 size, DeviceError* error) {
    if (!m_open) {
        if (error)
            *error = notOpen("Cannot write to");
        return -1;
    }
    if (size <= 0)
        return 0;
    m_pending.append(data, size);
    return size;
}

void LoopbackDevice::close() {
    m_open = false;
    // Like a real line: what was not read before the close is gone.
    m_pending.clear();
}
