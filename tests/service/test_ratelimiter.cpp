#include "ratelimiter.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct FakeClock {
    std::chrono::steady_clock::time_point now{};
    RateLimiter::Clock fn() {
        return [this] { return now; };
    }
};

TEST(RateLimiter, AllowsNPerWindowPerKeyAndSlides) {
    FakeClock clock;
    RateLimiter limiter(3, 600s, clock.fn());
    EXPECT_TRUE(limiter.tryAcquire("client-a"));
    clock.now += 100s;
    EXPECT_TRUE(limiter.tryAcquire("client-a"));
    EXPECT_TRUE(limiter.tryAcquire("client-a"));
    EXPECT_FALSE(limiter.tryAcquire("client-a"));
    EXPECT_TRUE(limiter.tryAcquire("client-b")) << "another address has its own count";

    clock.now += 499s; // 599 s after the first: still inside its window
    EXPECT_FALSE(limiter.tryAcquire("client-a"));
    clock.now += 1s; // the first leaves the window; a refused try did not count
    EXPECT_TRUE(limiter.tryAcquire("client-a"));
    EXPECT_FALSE(limiter.tryAcquire("client-a"));
    clock.now += 100s; // the two at 100 s leave too
    EXPECT_TRUE(limiter.tryAcquire("client-a"));
    EXPECT_TRUE(limiter.tryAcquire("client-a"));
    EXPECT_FALSE(limiter.tryAcquire("client-a"));
}

TEST(RateLimiter, ZeroMeansNoLimitAndIdleKeysAreForgotten) {
    FakeClock clock;
    RateLimiter unlimited(0, 1s, clock.fn());
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(unlimited.tryAcquire("a"));

    // Many one-off addresses, then time passes: a limited key still behaves after the sweep.
    RateLimiter limiter(1, 10s, clock.fn());
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(limiter.tryAcquire("10.1." + std::to_string(i)));
    EXPECT_FALSE(limiter.tryAcquire("10.1.5"));
    clock.now += 10s;
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(limiter.tryAcquire("10.2." + std::to_string(i)));
    EXPECT_TRUE(limiter.tryAcquire("10.1.5"));
    EXPECT_FALSE(limiter.tryAcquire("10.1.5"));
}

} // namespace
