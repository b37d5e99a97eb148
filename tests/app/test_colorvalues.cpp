#include "app/colorvalues.h"
#include "support/qtprinters.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

TEST(ColorValues, WrittenWithTheFirstNameElseAsHex) {
    struct Case {
        quint32 value;
        QString text;
    };
    const Case cases[] = {
        {0x00FFFFFF, "clWhite"},   {colorFromRgb(255, 128, 0), "$000080FF"},
        {0x00FFFF00, "clAqua"},    {0x00C0C0C0, "clSilver"},
        {0x00808080, "clGray"},    {0x00FF00FF, "clFuchsia"},
        {0x00000000, "clBlack"},   {0x00F0FBFF, "clCream"},
        {0xFF000005, "clWindow"},  {0x20000000, "clDefault"},
        {0x1FFFFFFF, "clNone"},    {0x00FFF8F0, "clAliceblue"},
        {0x00030201, "$00030201"}, {0xFF000019, "$FF000019"}, // system index 25 has no name
    };
    for (const Case& c : cases)
        EXPECT_EQ(ColorToString(c.value), c.text) << std::hex << c.value;
}

TEST(ColorValues, ReadFromNamesNumbersAndWebForms) {
    struct Case {
        const char* text;
        std::optional<quint32> value;
    };
    const Case cases[] = {
        {"clWhite", 0x00FFFFFF},       {"clcream", 0x00F0FBFF},    {"CLAQUA", 0x00FFFF00},
        {"clCyan", 0x00FFFF00},        {"16777215", 0x00FFFFFF},   {"$000080FF", 0x000080FF},
        {"$ff000005", 0xFF000005},     {"-16777211", 0xFF000005},  {"#FF8800", 0x000088FF},
        {"#F80", 0x000088FF},          {"#f80", 0x000088FF},       {"clLegacySkyBlue", 0x00F0CAA6},
        {"clNull", 0x00000000},        {"clHotLight", 0xFF00001A}, {"", std::nullopt},
        {"white", std::nullopt},       {"$", std::nullopt},        {"$123456789", std::nullopt},
        {"#12345", std::nullopt},      {"#GG0000", std::nullopt},  {"12abc", std::nullopt},
        {"99999999999", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StringToColor(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(ColorValues, TheTableHoldsEveryNameOnce) {
    const auto table = namedColors();
    ASSERT_EQ(table.size(), 186u);
    EXPECT_STREQ(table.front().name, "clBlack");
    EXPECT_STREQ(table.back().name, "clNull");
    QSet<QString> names;
    for (const NamedColor& c : table) {
        EXPECT_FALSE(names.contains(QString::fromLatin1(c.name).toLower())) << c.name;
        names.insert(QString::fromLatin1(c.name).toLower());
        // Every value written reads back as the same value.
        EXPECT_EQ(StringToColor(ColorToString(c.value)), c.value) << c.name;
    }
}

} // namespace
