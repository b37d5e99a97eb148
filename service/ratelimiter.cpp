#include "ratelimiter.h"

namespace {
// Sweeping every key on every call would cost a pass over all clients per post.
constexpr std::size_t kSweepEvery = 256;
} // namespace

RateLimiter::RateLimiter(std::size_t maxEvents, std::chrono::seconds window, Clock clock)
    : m_maxEvents(maxEvents), m_window(window), m_clock(std::move(clock)) {}

bool RateLimiter::tryAcquire(const std::string& key) {
    if (m_maxEvents == 0)
        return true;
    std::lock_guard guard(m_lock);
    const auto now = m_clock();
    if (++m_callsSinceSweep >= kSweepEvery) {
        m_callsSinceSweep = 0;
        forgetIdleKeys(now);
    }
    auto& times = m_events[key];
    while (!times.empty() && now - times.front() >= m_window)
        times.pop_front();
    if (times.size() >= m_maxEvents)
        return false;
    times.push_back(now);
    return true;
}

void RateLimiter::forgetIdleKeys(std::chrono::steady_clock::time_point now) {
    for (auto it = m_events.begin(); it != m_events.end();) {
        if (it->second.empty() || now - it->second.back() >= m_window)
            it = m_events.erase(it);
        else
            ++it;
    }
}
