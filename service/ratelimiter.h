// RateLimiter: at most N events per key within a sliding window of time, such as ten feedback
// posts per client address per ten minutes. The clock is passed in so tests can move time.
// Forgets keys whose events have all left the window, so its memory follows the active clients.
// Thread-safe.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

class RateLimiter {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    RateLimiter(
        std::size_t maxEvents, std::chrono::seconds window,
        Clock clock = [] { return std::chrono::steady_clock::now(); });

    // Counts an event for the key and returns true, or returns false (counting nothing) when
    // the key already had maxEvents within the window. A limit of 0 events means no limit.
    bool tryAcquire(const std::string& key);

private:
    void forgetIdleKeys(std::chrono::steady_clock::time_point now);

    std::size_t m_maxEvents;
    std::chrono::seconds m_window;
    Clock m_clock;
    std::mutex m_lock;
    std::map<std::string, std::deque<std::chrono::steady_clock::time_point>> m_events;
    std::size_t m_callsSinceSweep = 0;
};
