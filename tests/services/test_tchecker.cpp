#include "services/checkerstore.h"
#include "services/servicefields.h"
#include "services/tchecker.h"
#include "services/webhost.h"
#include "support/qtprinters.h"
#include "testservers.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Waits, boundedly, for `done`; true when it came.
template <typename Done> bool waitFor(Done done, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class TCheckerTest : public ::testing::Test {
protected:
    CheckerSetup setup(CheckPost post, bool haveWebHost = true) {
        CheckerSetup s;
        s.storeFolder = dir.path();
        s.mainCaption = "TARNICK - Brevane";
        s.shortVersion = "2.0";
        s.haveWebHost = haveWebHost;
        s.today = QDate(2025, 3, 1);
        s.localeName = "C";
        s.post = std::move(post);
        return s;
    }
    QTemporaryDir dir;
};

TEST_F(TCheckerTest, ChecksOnceAgainstTheServiceAndHandsOverTheOutcome) {
    FormServer server;
    ASSERT_TRUE(server.isRunning());
    server.answerWith({200, "<version>2.1</version>\r\n<url>http://127.0.0.1/dl</url>\r\n\r\n"
                            "<result>1</result>\r\n"});
    TChecker checker;
    EXPECT_FALSE(checker.CheckFinished());
    checker.start(setup([host = server.host()](const QStringList& fields) {
        return postWithRetry(host, ServiceScript, fields, 5000);
    }));
    ASSERT_TRUE(waitFor([&] { return checker.CheckFinished(); }));

    const CheckOutcome& outcome = checker.outcome();
    EXPECT_TRUE(outcome.requestMade);
    EXPECT_TRUE(outcome.UpdatePopupWanted);
    EXPECT_EQ(outcome.NewVersion, "2.1");
    EXPECT_EQ(outcome.DownloadURL, "http://127.0.0.1/dl");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    QStringList expected{"cmd=check"};
    expected += commonFields(currentServiceIdentity("TARNICK - Brevane", "2.0"));
    expected += "howmany=1";
    EXPECT_EQ(requests[0].body, encodeFormFields(expected));
}

TEST_F(TCheckerTest, WithoutAWebHostFinishesAtOnceWithoutARequest) {
    auto posts = std::make_shared<std::atomic<int>>(0);
    TChecker checker;
    checker.start(setup(
        [posts](const QStringList&) {
            ++*posts;
            return PostResult{};
        },
        false));
    ASSERT_TRUE(waitFor([&] { return checker.CheckFinished(); }, 2s));
    EXPECT_EQ(*posts, 0);
    EXPECT_FALSE(checker.outcome().UpdatePopupWanted);
    CheckerStore store(dir.path());
    ASSERT_TRUE(store.open().ok);
    EXPECT_EQ(store.readNumber("HowMany", 0), 1); // the run is counted all the same
}

// The owner goes while the post still waits: its destruction does not wait, and the thread
// ends later on state of its own (the sanitizer would see a write to freed memory).
TEST_F(TCheckerTest, OwnerGoneWhilePostWaitsDropsTheResult) {
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        bool entered = false, released = false;
    };
    auto gate = std::make_shared<Gate>();
    std::weak_ptr<Gate> threadHoldsGate = gate;
    {
        TChecker checker;
        checker.start(setup([gate](const QStringList&) {
            std::unique_lock lock(gate->mutex);
            gate->entered = true;
            gate->changed.notify_all();
            gate->changed.wait(lock, [&] { return gate->released; });
            return PostResult{true, "<version>2.1</version>\n\n\n<result>1</result>", {}, false};
        }));
        std::unique_lock lock(gate->mutex);
        ASSERT_TRUE(gate->changed.wait_for(lock, 5s, [&] { return gate->entered; }));
    } // `checker` goes here, its post still blocked
    {
        std::lock_guard lock(gate->mutex);
        gate->released = true;
    }
    gate->changed.notify_all();
    gate.reset();
    // The thread lets go of its post (and with it the gate) only once it is done.
    EXPECT_TRUE(waitFor([&] { return threadHoldsGate.expired(); }));
}

TEST_F(TCheckerTest, AStoreThatRefusesTheRunCounterNeverFinishes) {
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> threadHoldsToken = token;
    TChecker checker;
    CheckerSetup s = setup([token](const QStringList&) { return PostResult{}; });
    s.storeFolder = dir.filePath("file/below");
    checker.start(std::move(s));
    token.reset();
    ASSERT_TRUE(waitFor([&] { return threadHoldsToken.expired(); }));
    EXPECT_FALSE(checker.CheckFinished());
}

} // namespace
