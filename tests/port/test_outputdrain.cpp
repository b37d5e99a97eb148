#include "port/linuxserialdevice.h"
#include "port/outputdrain.h"

#include <QElapsedTimer>

#include "support/pseudoterminal.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <termios.h>

namespace {

TEST(OutputDrain, TimeOnTheLine) {
    const struct {
        std::uint32_t baud;
        int bits;
        qint64 us;
    } characters[] = {
        {9600, 10, 1042}, {115200, 10, 87}, {300, 12, 40000}, {4000000, 10, 3}, {0, 10, 0},
    };
    for (const auto& c : characters) {
        SCOPED_TRACE(c.baud);
        EXPECT_EQ(c.us, characterMicroseconds(c.baud, c.bits));
    }
    EXPECT_EQ(200, drainBoundMs(0, 1042));
    EXPECT_EQ(301, drainBoundMs(96, 1042)); // 100.03 ms, rounded up
    EXPECT_EQ(4296, drainBoundMs(4096, 1000));
    EXPECT_EQ(200, drainBoundMs(4096, 0));
}

// A driver queue seen through the probe: it empties after `drainPolls` looks (never when
// negative), and the transmitter after `shiftPolls` more (unknown when negative).
struct FakeLine {
    int queued = 0;
    int drainPolls = -1;
    int shiftPolls = -1;
    bool failing = false;
    int polls = 0;

    OutputProbe probe() {
        OutputProbe p;
        p.queued = [this] {
            if (failing)
                return -1;
            ++polls;
            return drainPolls >= 0 && polls > drainPolls ? 0 : queued;
        };
        if (shiftPolls >= 0)
            p.transmitterEmpty = [this]() -> std::optional<bool> {
                return polls > drainPolls + shiftPolls;
            };
        return p;
    }
};

TEST(OutputDrain, EndsWhenTheLineHasSentOrAtTheBound) {
    constexpr qint64 kChar9600 = 1042;
    const struct {
        const char* name;
        FakeLine line;
        qint64 written;
        qint64 capMs;
        DrainResult result;
        qint64 atLeastMs, below;
    } cases[] = {
        // Flow control holds 96 characters for good: 100 ms of them plus the slack.
        {"held by flow control", {96, -1, -1}, 0, -1, DrainResult::TimedOut, 300, 2000},
        {"held, the cap first", {96, -1, -1}, 0, 50, DrainResult::TimedOut, 50, 290},
        {"nothing queued", {0, 0, -1}, 0, -1, DrainResult::Sent, 0, 50},
        // The queue empties at once, but 20 written characters need their time on the line
        // when the driver cannot say whether the transmitter is empty.
        {"written, transmitter unknown", {20, 0, -1}, 20, -1, DrainResult::Sent, 21, 200},
        {"written, transmitter says when", {20, 3, 3}, 20, -1, DrainResult::Sent, 0, 200},
        {"transmitter never empties", {0, 0, 1000000}, 0, -1, DrainResult::TimedOut, 200, 2000},
        {"device gone", {5, -1, -1, true}, 5, -1, DrainResult::CannotTell, 0, 50},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(c.result, waitUntilSent(c.line.probe(), c.written, kChar9600, c.capMs));
        EXPECT_GE(timer.elapsed(), c.atLeastMs);
        EXPECT_LT(timer.elapsed(), c.below);
    }
}

TEST(OutputDrain, StoppedLineNeverHangsTheWriter) {
    // The line's output stopped, as XOFF from the other end stops it. Writes come back at once
    // and say that nothing went, and the line works again once restarted. (rts=tg has no RTS
    // to move on a pseudo-terminal; the waits above cover the hand-made toggle.)
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    LinuxSerialDevice device(pty.slavePath());
    ASSERT_FALSE(device.open());
    LineSettings s;
    s.xon = true;
    s.rts = LineSettings::Rts::Toggle;
    ASSERT_FALSE(device.configure(s));
    ASSERT_EQ(0, tcflow(pty.slaveFd(), TCOOFF)); // what a received XOFF does

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 8; ++i) {
        const QByteArray chunk(32, char('a' + i));
        EXPECT_EQ(0, device.write(chunk.constData(), chunk.size(), nullptr));
    }
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(pty.read(1, 100).isEmpty());

    ASSERT_EQ(0, tcflow(pty.slaveFd(), TCOON));
    EXPECT_EQ(5, device.write("after", 5, nullptr));
    EXPECT_EQ("after", pty.read(5));
    timer.restart();
    device.close();
    EXPECT_LT(timer.elapsed(), 2000);
}

} // namespace
