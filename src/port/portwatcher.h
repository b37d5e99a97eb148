#pragma once

// PortWatcher: tells when serial devices may have come or gone, by watching the folders where
// udev makes their nodes and links (inotify). It only reacts to events, so an idle machine
// never wakes the program; a burst of events (one plug-in makes several) gives one signal.

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

#include <chrono>

class QSocketNotifier;
class QTimer;

class PortWatcher : public QObject {
    Q_OBJECT
public:
    // Watches each of `folders` that exists, and each that appears later inside a watched one
    // (so list a folder's parents too when it may be missing at first). `settle` is how long
    // the events must pause before changed() is sent.
    explicit PortWatcher(const QStringList& folders,
                         std::chrono::milliseconds settle = std::chrono::milliseconds(250),
                         QObject* parent = nullptr);
    ~PortWatcher() override;

    // False when the system refused a watch on every folder: changed() will never come.
    bool isWatching() const;

signals:
    void changed();

private:
    void watchFolders();
    void readEvents();
    void settled();

    QStringList m_folders;
    int m_fd = -1;
    int m_watchCount = 0;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_settle = nullptr;
    QElapsedTimer m_firstPending; // since the first event not yet signalled
};
