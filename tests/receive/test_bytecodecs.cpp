#include "receive/bytecodecs.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// A text made of the given character codes, for data that is not printable.
QString codes(std::initializer_list<char16_t> list) {
    QString text;
    for (char16_t c : list)
        text.append(QChar(c));
    return text;
}

QString codeRange(int first, int last) {
    QString text;
    for (int c = first; c <= last; ++c)
        text.append(QChar(c));
    return text;
}

TEST(ByteCodecs, SingleValues) {
    struct Case {
        char16_t code;
        const char *hex, *dec, *oct, *bin;
    };
    const Case cases[] = {
        {0, "00", "0", "00", "00000000"},
        {7, "07", "7", "07", "00000111"},
        {8, "08", "8", "10", "00001000"},
        {10, "0A", "10", "12", "00001010"},
        {63, "3F", "63", "77", "00111111"},
        {64, "40", "64", "100", "01000000"},
        {65, "41", "65", "101", "01000001"},
        {0xAB, "AB", "171", "253", "10101011"},
        {255, "FF", "255", "377", "11111111"},
        // Above 255 only hex drops the high byte; the other bases show the whole code.
        {256, "00", "256", "400", "100000000"},
        {0x20AC, "AC", "8364", "20254", "10000010101100"},
        {65535, "FF", "65535", "177777", "1111111111111111"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.code));
        EXPECT_EQ(ByteToHex(c.code), c.hex);
        EXPECT_EQ(ByteToDec(c.code), c.dec);
        EXPECT_EQ(ByteToOct(c.code), c.oct);
        EXPECT_EQ(ByteToBin(c.code), c.bin);
    }
}

TEST(ByteCodecs, LineRenderers) {
    using Line = QString (*)(QStringView);
    struct Case {
        Line line;
        QString text;
        const char* rendered;
    };
    const Case cases[] = {
        {HexLine, "AB", "41 42 "},
        {HexLine, "\r\n", "0D 0A "},
        {HexLine, codes({0x20AC, 0xFF}), "AC FF "},
        {DecLine, codes({0}), "0 "},
        {DecLine, codes({0, 9, 10, 255, 65535}), "0 9 10 255 65535 "},
        {OctLine, "A", "101 "},
        {OctLine, codes({7, 64, 65535}), "07 100 177777 "},
        {BinLine, "A", "01000001 "},
        {BinLine, codes({0, 256}), "00000000 100000000 "},
        {HexLine, "", ""},
        {DecLine, "", ""},
        {OctLine, "", ""},
        {BinLine, "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.line(c.text), c.rendered) << c.text.toStdString();
}

// The line renderers size their result up front; every code of every width must fill it
// exactly, matching the single renderers.
TEST(ByteCodecs, LineIsEachCodeRenderedThenASpace) {
    const QString all = codeRange(0, 65535);
    QString hex, dec, oct, bin;
    for (QChar c : all) {
        hex += ByteToHex(c.unicode()) + u' ';
        dec += ByteToDec(c.unicode()) + u' ';
        oct += ByteToOct(c.unicode()) + u' ';
        bin += ByteToBin(c.unicode()) + u' ';
    }
    EXPECT_TRUE(HexLine(all) == hex);
    EXPECT_TRUE(DecLine(all) == dec);
    EXPECT_TRUE(OctLine(all) == oct);
    EXPECT_TRUE(BinLine(all) == bin);
}

TEST(ByteCodecs, GroupWriters) {
    struct Case {
        QString text;
        const char *hexGroups, *binGroups;
    };
    const Case cases[] = {
        {"", "", ""},
        {codes({5}), "05", "00000101"},
        {"AB", "41 42", "01000001 01000010"},
        {"\r\n", "0D 0A", "00001101 00001010"},
        // Hex groups keep the whole code, so they grow past two digits.
        {codes({0x100}), "100", "100000000"},
        {codes({0xFFF}), "FFF", "111111111111"},
        {codes({0x1000}), "1000", "1000000000000"},
        {codes({0x20AC}), "20AC", "10000010101100"},
        {codes({'A', 0x20AC, 5}), "41 20AC 05", "01000001 10000010101100 00000101"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToHexGroups(c.text), c.hexGroups);
        EXPECT_EQ(TextToBinGroups(c.text), c.binGroups);
    }
}

TEST(ByteCodecs, HexGroupsParsed) {
    struct Case {
        QString hex;
        QString data;
    };
    const Case cases[] = {
        {"41 42", "AB"},
        {"4142", "AB"},
        {"41 4 2", "AB"},
        {" 41  42 ", "AB"},
        {"414", "A"},
        {"4", ""},
        {"", ""},
        {"   ", ""},
        {"ff Ff", codes({255, 255})},
        {"0a0D", codes({10, 13})},
        // A pair with any non-hex character is 0 as a whole, not its one valid digit.
        {"zz41", codes({0, 'A'})},
        {"4G41", codes({0, 'A'})},
        // Line breaks and tabs are not dropped like spaces: they pair with their neighbours.
        {"4 1\r\n4 2", codes({'A', 0, 'B'})},
        {"\t41", codes({0})},
        // Digits of other scripts are not hex digits.
        {codes({0x0664, 0x0661}), codes({0})},
        {codes({0xFF14, 0xFF11}), codes({0})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HexGroupsToText(c.hex), c.data) << c.hex.toStdString();
}

TEST(ByteCodecs, BinGroupParsed) {
    struct Case {
        QString group;
        int value;
    };
    const Case cases[] = {
        {"11111111", 255},
        {"00000001", 1},
        // Weighed from the left: a short group is the top bits, not the bottom ones.
        {"1", 128},
        {"101", 160},
        // Past the eighth character nothing counts.
        {"111111111", 255},
        {"000000001", 0},
        // Only "1" is a set bit.
        {"2", 0},
        {"1x1", 160},
        {"1\r1", 160},
        {codes({0xFF11}), 0},
        {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BinStrToByte(c.group), c.value) << c.group.toStdString();
}

TEST(ByteCodecs, BinGroupsParsed) {
    struct Case {
        QString bin;
        QString data;
    };
    const Case cases[] = {
        {"01000001 01000010", "AB"},
        {"11111111", codes({255})},
        {"111111111", codes({255})},
        {"2", codes({0})},
        {"0", codes({0})},
        {"0100000101000010", "A"},
        // Only the space separates: the second group hides past the first one's eighth digit.
        {"01000001\r\n01000010", "A"},
        {"01000001\t01000010", "A"},
        // Empty groups are skipped, so stray spacing sends nothing extra.
        {"01000001  01000010", "AB"},
        {" 01000001 01000010 ", "AB"},
        {"0  0", codes({0, 0})},
        {"   ", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BinGroupsToText(c.bin), c.data) << c.bin.toStdString();
}

TEST(ByteCodecs, EveryByteSurvivesGroupsAndBack) {
    const QString bytes = codeRange(0, 255);
    EXPECT_EQ(HexGroupsToText(TextToHexGroups(bytes)), bytes);
    EXPECT_EQ(BinGroupsToText(TextToBinGroups(bytes)), bytes);

    // From the typed side: canonical groups come back unchanged.
    const QString hexGroups = TextToHexGroups(bytes);
    const QString binGroups = TextToBinGroups(bytes);
    EXPECT_EQ(TextToHexGroups(HexGroupsToText(hexGroups)), hexGroups);
    EXPECT_EQ(TextToBinGroups(BinGroupsToText(binGroups)), binGroups);
    EXPECT_EQ(TextToHexGroups(HexGroupsToText(hexGroups.toLower())), hexGroups);
}

// Codes above 255 have wider groups than the parsers read back, so they come back altered.
TEST(ByteCodecs, CodesAbove255DoNotSurvive) {
    struct Case {
        char16_t code;
        QString viaHex, viaBin;
    };
    const Case cases[] = {
        {0x100, codes({0x10}), codes({128})},
        {0x20AC, codes({0x20, 0xAC}), codes({130})},
        {0xFFFF, codes({255, 255}), codes({255})},
    };
    for (const Case& c : cases) {
        const QString text = codes({c.code});
        EXPECT_EQ(HexGroupsToText(TextToHexGroups(text)), c.viaHex) << int(c.code);
        EXPECT_EQ(BinGroupsToText(TextToBinGroups(text)), c.viaBin) << int(c.code);
    }
}

} // namespace
