#include "port/portwatcher.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Events that add or remove names; attribute changes (udev setting a node's owner) add none.
constexpr uint32_t kMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                           IN_MOVE_SELF | IN_ONLYDIR;

// A steady stream of events still gives a signal this often.
constexpr qint64 kLongestWaitMs = 1000;

} // namespace

PortWatcher::PortWatcher(const QStringList& folders, std::chrono::milliseconds settle,
                         QObject* parent)
    : QObject(parent), m_folders(folders) {
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(settle);
    connect(m_settle, &QTimer::timeout, this, &PortWatcher::settled);
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        qWarning("port list: cannot watch for devices: %s", strerror(errno));
        return;
    }
    watchFolders();
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PortWatcher::readEvents);
}

PortWatcher::~PortWatcher() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool PortWatcher::isWatching() const {
    return m_watchCount > 0;
}

void PortWatcher::watchFolders() {
    // Adding a watch again is harmless (the same one comes back), and it picks up folders that
    // were missing before or were removed and made anew.
    int count = 0;
    for (const QString& folder : m_folders) {
        const QByteArray path = QFile::encodeName(folder);
        if (inotify_add_watch(m_fd, path.constData(), kMask) >= 0)
            ++count;
    }
    m_watchCount = count;
}

void PortWatcher::readEvents() {
    alignas(inotify_event) char buffer[4096];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            any = true; // which name changed does not matter: the list is read anew
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (!any)
        return;
    watchFolders();
    if (!m_settle->isActive())
        m_firstPending.start();
    if (m_firstPending.elapsed() < kLongestWaitMs)
        m_settle->start();
}

void PortWatcher::settled() {
    watchFolders();
    emit changed();
}
