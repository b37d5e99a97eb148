#include "port/termiosbuilder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Parity = LineSettings::Parity;
using Stop = LineSettings::StopBits;

// Which flags a setter may touch; every other bit and control character must survive.
struct Mask {
    tcflag_t iflag = 0, oflag = 0, cflag = 0, lflag = 0;
};

// Two starting points: nothing set, and everything set, so a setter that clears or sets a
// flag it does not own shows up either way.
termios allClear() {
    termios t;
    std::memset(&t, 0, sizeof t);
    return t;
}

termios allSet() {
    termios t;
    std::memset(&t, 0xff, sizeof t);
    return t;
}

void expectOnlyMaskChanged(const termios& before, const termios& after, const Mask& m) {
    EXPECT_EQ(before.c_iflag & ~m.iflag, after.c_iflag & ~m.iflag);
    EXPECT_EQ(before.c_oflag & ~m.oflag, after.c_oflag & ~m.oflag);
    EXPECT_EQ(before.c_cflag & ~m.cflag, after.c_cflag & ~m.cflag);
    EXPECT_EQ(before.c_lflag & ~m.lflag, after.c_lflag & ~m.lflag);
    EXPECT_EQ(0, std::memcmp(before.c_cc, after.c_cc, sizeof before.c_cc));
    EXPECT_EQ(before.c_line, after.c_line);
}

TEST(TermiosBuilder, DataBitsSetCharacterSizeOnly) {
    const struct {
        int bits;
        tcflag_t size;
    } cases[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};
    for (const auto& c : cases) {
        for (const termios& start : {allClear(), allSet()}) {
            SCOPED_TRACE(c.bits);
            termios t = start;
            setDataBits(t, c.bits);
            EXPECT_EQ(c.size, t.c_cflag & CSIZE);
            expectOnlyMaskChanged(start, t, {.cflag = CSIZE});
        }
    }
}

TEST(TermiosBuilder, EveryParityHasItsOwnBitsAndInputIsNotChecked) {
    const struct {
        Parity parity;
        tcflag_t bits;
    } cases[] = {
        {Parity::None, 0},
        {Parity::Even, PARENB},
        {Parity::Odd, PARENB | PARODD},
        {Parity::Mark, PARENB | CMSPAR | PARODD},
        {Parity::Space, PARENB | CMSPAR},
    };
    const Mask own{.iflag = INPCK | IGNPAR, .cflag = PARENB | PARODD | CMSPAR};
    for (const auto& c : cases) {
        for (const termios& start : {allClear(), allSet()}) {
            SCOPED_TRACE(static_cast<int>(c.parity));
            termios t = start;
            setParity(t, c.parity);
            EXPECT_EQ(c.bits, t.c_cflag & own.cflag);
            // A byte with a parity error reaches the screen as it arrived.
            EXPECT_EQ(0u, t.c_iflag & (INPCK | IGNPAR));
            expectOnlyMaskChanged(start, t, own);
        }
    }
}

TEST(TermiosBuilder, StopBitsOneClearsCstopbOtherwiseSet) {
    // 1.5 stop bits is CSTOPB: with 5 data bits a UART sends 1.5 for it.
    const struct {
        Stop stop;
        tcflag_t bit;
    } cases[] = {{Stop::One, 0}, {Stop::OnePointFive, CSTOPB}, {Stop::Two, CSTOPB}};
    for (const auto& c : cases) {
        for (const termios& start : {allClear(), allSet()}) {
            SCOPED_TRACE(static_cast<int>(c.stop));
            termios t = start;
            setStopBits(t, c.stop);
            EXPECT_EQ(c.bit, t.c_cflag & CSTOPB);
            expectOnlyMaskChanged(start, t, {.cflag = CSTOPB});
        }
    }
}

TEST(TermiosBuilder, FlowControlSwitchesOnlyItsFlags) {
    for (bool on : {false, true}) {
        for (const termios& start : {allClear(), allSet()}) {
            SCOPED_TRACE(on);
            termios t = start;
            setXonXoff(t, on);
            EXPECT_EQ(on ? IXON | IXOFF : 0u, t.c_iflag & (IXON | IXOFF | IXANY));
            expectOnlyMaskChanged(start, t, {.iflag = IXON | IXOFF | IXANY});

            t = start;
            setHardwareFlow(t, on);
            EXPECT_EQ(on ? CRTSCTS : 0u, t.c_cflag & CRTSCTS);
            expectOnlyMaskChanged(start, t, {.cflag = CRTSCTS});
        }
    }
}

TEST(TermiosBuilder, RawModeLeavesLineSettingsToTheirSetters) {
    termios t = allSet();
    makeRaw(t);
    EXPECT_EQ(0u, t.c_lflag & (ECHO | ECHONL | ICANON | ISIG | IEXTEN));
    EXPECT_EQ(0u, t.c_oflag & OPOST);
    EXPECT_EQ(0u, t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | IGNBRK | PARMRK));
    EXPECT_EQ(CLOCAL | CREAD, t.c_cflag & (CLOCAL | CREAD));
    EXPECT_EQ(0, t.c_cc[VMIN]);
    EXPECT_EQ(0, t.c_cc[VTIME]);
    // Size, parity, stop bits and flow control are untouched.
    const termios start = allSet();
    EXPECT_EQ(start.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS),
              t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS));
    EXPECT_EQ(start.c_iflag & (IXON | IXOFF | IXANY), t.c_iflag & (IXON | IXOFF | IXANY));

    t = allClear();
    makeRaw(t);
    EXPECT_EQ(CLOCAL | CREAD, t.c_cflag);
}

TEST(TermiosBuilder, LineSettingsCombineAndHardwareFlowComesFromOctsOrRtsHandshake) {
    struct Case {
        LineSettings s;
        tcflag_t cflag; // under CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS
        tcflag_t iflag; // under IXON | IXOFF
    };
    LineSettings sevenOddTwo;
    sevenOddTwo.dataBits = 7;
    sevenOddTwo.parity = Parity::Odd;
    sevenOddTwo.stopBits = Stop::Two;
    sevenOddTwo.xon = true;
    LineSettings octs;
    octs.outCts = true;
    LineSettings rtsHs;
    rtsHs.rts = LineSettings::Rts::Handshake;
    LineSettings rtsOnDtrHs; // raises lines only, no flow control
    rtsOnDtrHs.rts = LineSettings::Rts::On;
    rtsOnDtrHs.dtr = LineSettings::Dtr::Handshake;
    LineSettings fiveMarkHalf;
    fiveMarkHalf.dataBits = 5;
    fiveMarkHalf.parity = Parity::Mark;
    fiveMarkHalf.stopBits = Stop::OnePointFive;
    const Case cases[] = {
        {LineSettings(), CS8, 0}, {sevenOddTwo, CS7 | PARENB | PARODD | CSTOPB, IXON | IXOFF},
        {octs, CS8 | CRTSCTS, 0}, {rtsHs, CS8 | CRTSCTS, 0},
        {rtsOnDtrHs, CS8, 0},     {fiveMarkHalf, CS5 | PARENB | PARODD | CMSPAR | CSTOPB, 0},
    };
    const tcflag_t lineBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    for (size_t i = 0; i < std::size(cases); ++i) {
        for (const termios& start : {allClear(), allSet()}) {
            SCOPED_TRACE(i);
            termios t = start;
            applyLineSettings(t, cases[i].s);
            EXPECT_EQ(cases[i].cflag, t.c_cflag & lineBits);
            EXPECT_EQ(cases[i].iflag, t.c_iflag & (IXON | IXOFF | IXANY));
            EXPECT_EQ(0u, t.c_lflag & (ECHO | ICANON)); // raw as well
        }
    }
}

TEST(TermiosBuilder, StandardRatesHaveTheirConstantOthersGoThroughTermios2) {
    const struct {
        std::uint32_t speed;
        speed_t constant;
    } cases[] = {
        {50, B50},         {134, B134},         {9600, B9600}, {115200, B115200}, {230400, B230400},
        {921600, B921600}, {4000000, B4000000}, {0, B0},       {1, B0},           {14400, B0},
        {56000, B0},       {128000, B0},        {256000, B0},  {4000001, B0},     {4294967295u, B0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.speed);
        EXPECT_EQ(c.constant, standardBaudConstant(c.speed));
        EXPECT_EQ(c.constant != B0, isStandardBaud(c.speed));
    }
}

} // namespace
