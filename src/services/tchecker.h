#pragma once

// TChecker: runs `CheckNow` once on a thread of its own and hands its outcome to the user
// interface. The thread and this object share their state through a shared_ptr, so the thread
// never touches the TChecker itself: destroying the TChecker (the main window closing while a
// request waits on the network) returns at once, the thread's result is dropped when it ends,
// and nothing waits for it, not even the exit of the process. `CheckFinished` is the one
// hand-over point: the outcome is written before it is set (release) and read only after it
// has been seen set (acquire).

#include "services/updatecheck.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <atomic>
#include <memory>

struct CheckerSetup {
    QString storeFolder;  // the CheckerStore folder
    QString mainCaption;  // appname
    QString shortVersion; // version, and the running version the reply is compared with
    bool haveWebHost = true;
    QDate today;           // the day of the check (taken when it starts)
    QByteArray localeName; // the short date's locale; empty: the process's own
    CheckPost post;        // runs on the check thread; must not refer to the window
};

class TChecker {
public:
    TChecker() = default;
    ~TChecker() = default;
    TChecker(const TChecker&) = delete;
    TChecker& operator=(const TChecker&) = delete;

    // Starts the check thread; call once.
    void start(CheckerSetup setup);
    bool started() const { return m_shared != nullptr; }
    // Set when the check has finished; never set when the store refused the run counter.
    bool CheckFinished() const;
    // Only valid once CheckFinished() has answered true.
    const CheckOutcome& outcome() const;

private:
    struct Shared {
        CheckOutcome outcome;
        std::atomic<bool> CheckFinished{false};
    };
    std::shared_ptr<Shared> m_shared;
};
