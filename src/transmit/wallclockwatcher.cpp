#include "transmit/wallclockwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

WallClockWatcher::WallClockWatcher(QObject* parent) : QObject(parent) {
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return;
    if (!arm()) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WallClockWatcher::readNotice);
}

WallClockWatcher::~WallClockWatcher() {
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

// A timer a century ahead, cancelled by the kernel whenever the wall clock is set (a resume
// from sleep counts as that too). Reckoned from now rather than a fixed far date, which would
// lie in the past one day, or overflow where the clock is shifted.
bool WallClockWatcher::arm() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    itimerspec never{};
    never.it_value.tv_sec = now.tv_sec + time_t(100) * 365 * 24 * 3600;
    return ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr) ==
           0;
}

void WallClockWatcher::readNotice() {
    std::uint64_t expirations = 0;
    const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
    if (n < 0 && errno == EAGAIN)
        return;
    // ECANCELED: the clock was set. Armed again before anyone looks at the clock, so a second
    // change right after is not missed.
    if (!arm()) {
        m_notifier->setEnabled(false);
        return;
    }
    emit clockChanged();
}
