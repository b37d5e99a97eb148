#include "support/qtprinters.h"
#include "transmit/sendlaterfile.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

TEST(SendLaterFile, WrittenWithTheLocalesSeparator) {
    EXPECT_EQ(serializeSchedule({{"PING", "01.03.2025", "14:05:00"}}, u';'),
              kBom + "PING;01.03.2025;14:05:00\r\n");
    EXPECT_EQ(serializeSchedule({}, u','), kBom);
    EXPECT_EQ(serializeSchedule({{"a", "d", "t"}, {"b", "", ""}}, u','), kBom + "a,d,t\r\nb,,\r\n");
}

TEST(SendLaterFile, CommandsWithSeparatorsBreaksOrQuotesComeBackWhole) {
    const QList<SendLaterEntry> entries = {
        {QChar(0xFEFF) + QString("first with a byte-order mark of its own"), "", ""},
        {"AT+X=1,2", "03/01/25", "14:05:00"},
        {"line one\r\nline two", "03/01/25", "14:05:01"},
        {"\"quoted\" start", "03/01/25", "14:05:02"},
        {"lone\rCR and \"inner\" quotes", "", ""},
        {"plain", "03/01/25", "14:05:03"},
        {"\"x\" y", "\"", "\"\""},
        {"ends in a quote\"", "", ""},
    };
    const QByteArray bytes = serializeSchedule(entries, u',');
    EXPECT_TRUE(bytes.contains("\"AT+X=1,2\",03/01/25"));
    EXPECT_TRUE(bytes.contains("\r\nplain,03/01/25,14:05:03\r\n")) << "others as they are";
    EXPECT_EQ(parseSchedule(bytes, u',').entries, entries);
}

TEST(SendLaterFile, AnyFileLoads) {
    struct Case {
        QByteArray bytes;
        QList<SendLaterEntry> entries;
    };
    const Case cases[] = {
        {"PING", {{"PING", "", ""}}},
        {"PING;01.03.2025", {{"PING", "01.03.2025", ""}}},
        {"a;b;c;d;e\r\n", {{"a", "b", "c"}}},
        {";;;\n", {{"", "", ""}}},
        {"a;b;c\r\n\r\n\nd;e;f", {{"a", "b", "c"}, {"d", "e", "f"}}},
        {"a;b;\r\n", {{"a", "b", ""}}},
        {"caf\xE9;1;2", {{QStringLiteral("caf\u00E9"), "1", "2"}}},
        {QByteArray("\xFF\xFEP\0;\0d\0;\0t\0", 12), {{"P", "d", "t"}}},
        {kBom, {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        const ParsedSchedule parsed = parseSchedule(c.bytes, u';');
        EXPECT_EQ(parsed.entries, c.entries) << c.bytes.toHex().toStdString();
        EXPECT_TRUE(parsed.complete()) << c.bytes.toHex().toStdString();
    }

    QByteArray junk(256 * 1024, Qt::Uninitialized);
    QRandomGenerator gen(11);
    for (char& ch : junk)
        ch = char(gen.bounded(256));
    parseSchedule(junk, u';'); // loads without a crash

    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += "CMD" + QByteArray::number(i) + ";01.03.2025;14:05:00\r\n";
    const QList<SendLaterEntry> loaded = parseSchedule(many, u';').entries;
    ASSERT_EQ(loaded.size(), 100000);
    EXPECT_EQ(loaded.last().command, "CMD99999");
}

TEST(SendLaterFile, AQuoteThatNeverClosesCostsOnlyItsLine) {
    struct Case {
        QByteArray bytes;
        QList<SendLaterEntry> entries;
        int unreadableLines;
    };
    const Case cases[] = {
        // Closed before a separator, a break or the end: quoted, across lines if need be.
        {"\"a;b\";d;t\r\n\"\";\"\"\"\";\"ok\"", {{"a;b", "d", "t"}, {"", "\"", "ok"}}, 0},
        {"\"one\r\ntwo\";d;t\r\nz;1;2", {{"one\r\ntwo", "d", "t"}, {"z", "1", "2"}}, 0},
        {"\"\"\"x\"\" y\";d;t\n", {{"\"x\" y", "d", "t"}}, 0},
        // Closed on the same line with text after it: taken as typed.
        {"\"x\" y;d;t\r\n\"\"x;1;2", {{"\"x\" y", "d", "t"}, {"\"\"x", "1", "2"}}, 0},
        {"\"a;b\" c;d;t", {{"\"a", "b\" c", "d"}}, 0},
        {"a\"b;\"c\"d\"", {{"a\"b", "\"c\"d\"", ""}}, 0},
        // Never closed: that line alone is left out.
        {"\"never closed;x;y\r\nz;1;2", {{"z", "1", "2"}}, 1},
        {"a;\"open\r\nb;c;d\r\n", {{"b", "c", "d"}}, 1},
        {"\"", {}, 1},
        {"\"\"\"\r\nz", {{"z", "", ""}}, 1},
        {"\"x;1;2\r\n\"y;1;2\rz;1;2\n\"w\n", {{"z", "1", "2"}}, 3},
        // "Closed" only on a later line, with text after it: the opening line is left out.
        {"\"open;1;2\r\nlater\" text;1;2\r\nz;1;2",
         {{"later\" text", "1", "2"}, {"z", "1", "2"}},
         1},
    };
    for (const Case& c : cases) {
        const ParsedSchedule parsed = parseSchedule(c.bytes, u';');
        EXPECT_EQ(parsed.entries, c.entries) << c.bytes.toStdString();
        EXPECT_EQ(parsed.unreadableLines, c.unreadableLines) << c.bytes.toStdString();
        EXPECT_TRUE(parsed.lossless);
    }

    // Large files full of such quotes are still read in one pass.
    QByteArray unclosed;
    for (int i = 0; i < 100000; ++i)
        unclosed += "\"CMD" + QByteArray::number(i) + ";01.03.2025;14:05:00\r\nOK;1;2\r\n";
    const ParsedSchedule parsed = parseSchedule(unclosed, u';');
    EXPECT_EQ(parsed.entries.size(), 100000);
    EXPECT_EQ(parsed.unreadableLines, 100000);
    QByteArray longLine;
    for (int i = 0; i < 200000; ++i)
        longLine += "\"x\" y;";
    const QList<SendLaterEntry> oneLine = parseSchedule(longLine, u';').entries;
    ASSERT_EQ(oneLine.size(), 1);
    EXPECT_EQ(oneLine[0].time, "\"x\" y");
}

TEST(SendLaterFile, BytesThatCannotBeDecodedAreReported) {
    const ParsedSchedule broken = parseSchedule(kBom + "caf\xE9;1;2\r\nok;3;4\r\n", u';');
    ASSERT_EQ(broken.entries.size(), 2);
    EXPECT_EQ(broken.entries[1].command, "ok");
    EXPECT_FALSE(broken.lossless);
    EXPECT_FALSE(broken.complete());
    EXPECT_EQ(broken.unreadableLines, 0);

    const QByteArray loneSurrogate("\xFF\xFEP\0\0\xD8;\0d\0", 10);
    EXPECT_FALSE(parseSchedule(loneSurrogate, u';').lossless);
}

} // namespace
