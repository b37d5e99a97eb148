#pragma once

// WallClockWatcher: tells when the wall clock was set, or the machine woke from sleep, so that
// waits aimed at a wall-clock moment can be aimed again (timers run on a clock that neither
// moves). Costs no wake-up while the clock runs on. Where the system cannot tell
// (no timerfd), it never signals.

#include <QObject>

class QSocketNotifier;

class WallClockWatcher : public QObject {
    Q_OBJECT
public:
    explicit WallClockWatcher(QObject* parent = nullptr);
    ~WallClockWatcher() override;

    bool isWatching() const { return m_fd >= 0; }

signals:
    void clockChanged();

private:
    bool arm();
    void readNotice();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
