#include "support/qtprinters.h"
#include "transmit/sendformat.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

TEST(SendFormat, TextBecomesTheBytesTheUserTyped) {
    struct Case {
        QString text;
        SendFormat format;
        QByteArray sent;
    };
    const Case cases[] = {
        {"abc\r\n", SendFormat::Ascii, "abc\r\n"},
        {QStringLiteral("\u00E9\u20AC"), SendFormat::Ascii, bytes({0xE9, '?'})},
        {"48 65 6C 6C 6F", SendFormat::Hex, "Hello"},
        {"80 FF", SendFormat::Hex, bytes({0x80, 0xFF})},
        {"80ff", SendFormat::Hex, bytes({0x80, 0xFF})},
        {"414", SendFormat::Hex, "A"},                    // an odd last digit is dropped
        {"4", SendFormat::Hex, ""},                       // no complete pair: nothing to send
        {"GG41", SendFormat::Hex, bytes({0x00, 0x41})},   // letters beyond F read as 0
        {"41\t42", SendFormat::Hex, bytes({0x41, 0x00})}, // a tab takes part in pairing
        {"41\r\n42", SendFormat::Hex, bytes({0x41, 0x00, 0x42})},
        {"01001000 01101001", SendFormat::Bin, "Hi"},
        {"01001000  01101001 ", SendFormat::Bin, "Hi"}, // empty groups send nothing
        {"111111111 1", SendFormat::Bin, bytes({0xFF, 0x80})},
        {"", SendFormat::Bin, ""},
        {"   ", SendFormat::Hex, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bytesToSend(c.text, c.format), c.sent) << c.text.toStdString();
}

TEST(SendFormat, SwitchingRewritesTheSendBox) {
    using F = SendFormat;
    EXPECT_EQ(convertSendText("Hi", F::Ascii, F::Hex), "48 69");
    EXPECT_EQ(convertSendText("48 69", F::Hex, F::Bin), "01001000 01101001");
    EXPECT_EQ(convertSendText("01001000 01101001", F::Bin, F::Ascii), "Hi");
    EXPECT_EQ(convertSendText("01001000 01101001", F::Bin, F::Hex), "48 69");
    EXPECT_EQ(convertSendText("48 69", F::Hex, F::Ascii), "Hi");
    EXPECT_EQ(convertSendText("Hi", F::Ascii, F::Bin), "01001000 01101001");
    EXPECT_EQ(convertSendText("zz 4", F::Hex, F::Hex), "zz 4"); // the same format: unchanged
    EXPECT_EQ(convertSendText("a\r\nb", F::Ascii, F::Hex), "61 0D 0A 62");
}

TEST(SendFormat, ABigSendBoxConvertsInOnePass) {
    const QString box = QString("41 ").repeated(100 * 1024 / 3);
    EXPECT_EQ(bytesToSend(box, SendFormat::Hex), QByteArray(box.size() / 3, 'A'));
}

TEST(SendFormat, EachFormatTakesItsOwnDigitsAndNamesWhatItRefuses) {
    const QString hex = "0123456789abcdefABCDEF ";
    const QString bin = "01 ";
    for (char16_t c = 0; c < 0x200; ++c) {
        EXPECT_TRUE(fitsSendFormat(QChar(c), SendFormat::Ascii));
        EXPECT_EQ(fitsSendFormat(QChar(c), SendFormat::Hex), hex.contains(QChar(c))) << int(c);
        EXPECT_EQ(fitsSendFormat(QChar(c), SendFormat::Bin), bin.contains(QChar(c))) << int(c);
    }
    struct Case {
        QChar c;
        SendFormat format;
        QString named;
    };
    const Case cases[] = {
        {u'g', SendFormat::Hex, "\"g\""},
        {u'2', SendFormat::Bin, "\"2\""},
        {u'\t', SendFormat::Hex, "HT"},
        {QChar(0xA0), SendFormat::Bin, "U+00A0"},
        {QChar(0xE9), SendFormat::Hex, "\"\u00E9\""},
    };
    for (const Case& c : cases) {
        const QString why = sendFormatRefusal(c.c, c.format);
        EXPECT_TRUE(why.contains(c.named)) << why.toStdString();
        EXPECT_TRUE(why.contains(c.format == SendFormat::Hex ? "HEX" : "BIN")) << why.toStdString();
    }
}

TEST(SendPeriod, FieldTextAndStoredValuesStayInRange) {
    struct Case {
        const char* text;
        int period;
    };
    const Case cases[] = {
        {"250", 250},
        {"0", 1},
        {"-5", 1},
        {"1000000000", 999999999},
        {"2147483647", 999999999},
        {"99999999999", 1},
        {"abc", 1},
        {"", 1},
        {"1.5", 1},
        {" 42 ", 42},
        {"+7", 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(periodFromText(c.text), c.period) << c.text;
    EXPECT_EQ(clampSendPeriod(0), 1);
    EXPECT_EQ(clampSendPeriod(-3), 1);
    EXPECT_EQ(clampSendPeriod(2000000000), 999999999);
    EXPECT_EQ(clampSendPeriod(100), 100);
}

} // namespace
