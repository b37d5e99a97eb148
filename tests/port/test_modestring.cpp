#include "port/modestring.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

using Dtr = LineSettings::Dtr;
using Rts = LineSettings::Rts;

ModeInputs boxes(const QString& baud, const QString& parity, const QString& data,
                 const QString& stop) {
    ModeInputs in;
    in.baud = baud;
    in.parity = parity;
    in.data = data;
    in.stop = stop;
    return in;
}

TEST(ModeString, BuiltTokenByToken) {
    ModeInputs all = boxes("115200", "MARK", "7", "2");
    all.timeoutProcessing = all.xon = all.outDsr = all.outCts = all.dsrSensitivity = true;
    all.dtr = Dtr::On;
    all.rts = Rts::On;
    ModeInputs handshakes = boxes("9600", "NO", "8", "1");
    handshakes.dtr = Dtr::Handshake;
    handshakes.rts = Rts::Toggle;
    ModeInputs rtsHs = boxes("9600", "NO", "8", "1");
    rtsHs.rts = Rts::Handshake;
    struct Case {
        ModeInputs in;
        QString mode;
    };
    const Case cases[] = {
        {boxes("9600", "NO", "8", "1"), "baud=9600 parity=n data=8 stop=1"},
        {boxes("300", "EVEN", "7", "1.5"), "baud=300 parity=e data=7 stop=1.5"},
        {boxes("1200", "ODD", "6", "2"), "baud=1200 parity=o data=6 stop=2"},
        {boxes("2400", "SPACE", "5", "1"), "baud=2400 parity=s data=5 stop=1"},
        // Only the exact upper-case words choose a parity; the other texts go in as typed.
        {boxes("96OO", "Even", "x", ""), "baud=96OO parity=n data=x stop="},
        {boxes("", "", "", ""), "baud= parity=n data= stop="},
        {all, "baud=115200 parity=m data=7 stop=2 to=on xon=on odsr=on octs=on dtr=on rts=on "
              "idsr=on"},
        {handshakes, "baud=9600 parity=n data=8 stop=1 dtr=hs rts=tg"},
        {rtsHs, "baud=9600 parity=n data=8 stop=1 rts=hs"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(buildModeString(c.in), c.mode);
        EXPECT_FALSE(c.mode.contains("=off"));
    }
}

TEST(ModeString, ParsedIntoLineSettings) {
    const ModeParseResult defaults = parseModeString("baud=9600 parity=n data=8 stop=1");
    ASSERT_TRUE(defaults.settings);
    EXPECT_EQ(*defaults.settings, LineSettings());

    const ModeParseResult all = parseModeString(
        "baud=256000 parity=m data=7 stop=2 to=on xon=on odsr=on octs=on dtr=hs rts=tg idsr=on");
    ASSERT_TRUE(all.settings) << all.error.toStdString();
    LineSettings expected;
    expected.baud = 256000;
    expected.parity = LineSettings::Parity::Mark;
    expected.dataBits = 7;
    expected.stopBits = LineSettings::StopBits::Two;
    expected.timeoutProcessing = expected.xon = expected.outDsr = expected.outCts = true;
    expected.dsrSensitivity = true;
    expected.dtr = Dtr::Handshake;
    expected.rts = Rts::Toggle;
    EXPECT_EQ(*all.settings, expected);

    const ModeParseResult odd = parseModeString("BAUD=4294967295 Parity=O data=5 stop=1.5");
    ASSERT_TRUE(odd.settings);
    EXPECT_EQ(odd.settings->baud, 4294967295u);
    EXPECT_EQ(odd.settings->parity, LineSettings::Parity::Odd);
    EXPECT_EQ(odd.settings->stopBits, LineSettings::StopBits::OnePointFive);
}

TEST(ModeString, RejectsWhatNoLineCanTake) {
    const char* rejected[] = {
        "baud=96OO parity=n data=8 stop=1",         "baud=0 parity=n data=8 stop=1",
        "baud=-9600 parity=n data=8 stop=1",        "baud=4294967296 parity=n data=8 stop=1",
        "baud=99999999999 parity=n data=8 stop=1",  "baud= parity=n data=8 stop=1",
        "baud=9600.5 parity=n data=8 stop=1",       "baud=9600 parity=x data=8 stop=1",
        "baud=9600 parity=n data=4 stop=1",         "baud=9600 parity=n data=9 stop=1",
        "baud=9600 parity=n data=x stop=1",         "baud=9600 parity=n data=8 stop=3",
        "baud=9600 parity=n data=8 stop=",          "baud=9600 parity=n data=6 stop=1.5",
        "baud=9600 parity=n data=8 stop=1.5",       "baud=9600 parity=n data=5 stop=2",
        "baud=9600 parity=n data=8 stop=1 xon=yes", "baud=9600 parity=n data=8 stop=1 dtr=tg",
        "baud=9600 parity=n data=8 stop=1 speed=2", "baud=9600 parity=n data=8 stop=1 junk",
    };
    for (const char* mode : rejected) {
        const ModeParseResult r = parseModeString(QString::fromLatin1(mode));
        EXPECT_FALSE(r.settings) << mode;
        EXPECT_FALSE(r.error.isEmpty()) << mode;
    }
}

} // namespace
