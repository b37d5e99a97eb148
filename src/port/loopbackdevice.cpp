#include "port/loopbackdevice.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

namespace {

DeviceError notOpen(const char* what) {
    return DeviceError::fromErrno(DeviceError::Io, EBADF,
                                  QStringLiteral("%1 loop://").arg(QLatin1String(what)));
}

} // namespace

LoopbackDevice::~LoopbackDevice() {
    close();
}

DeviceError LoopbackDevice::open() {
    if (m_open)
        return {};
    m_signal = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_signal < 0)
        return DeviceError::fromErrno(DeviceError::Io, errno,
                                      QStringLiteral("Cannot open loop://"));
    m_open = true;
    return {};
}

void LoopbackDevice::setSignal(bool pending) {
    std::uint64_t value = 1;
    if (pending) {
        ssize_t ignored = ::write(m_signal, &value, sizeof value);
        (void)ignored; // a full counter is still readable
    } else {
        ssize_t ignored = ::read(m_signal, &value, sizeof value);
        (void)ignored; // an empty counter is already unreadable
    }
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
    if (m_pending.isEmpty())
        setSignal(false);
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
    const bool wasEmpty = m_pending.isEmpty();
    m_pending.append(data, size);
    if (wasEmpty)
        setSignal(true);
    return size;
}

void LoopbackDevice::close() {
    m_open = false;
    if (m_signal >= 0) {
        ::close(m_signal);
        m_signal = -1;
    }
    // Like a real line: what was not read before the close is gone.
    m_pending.clear();
}
