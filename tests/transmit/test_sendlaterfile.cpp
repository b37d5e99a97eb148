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
        {"AT+X=1,2", "03/01/25", "14:05:00"},
        {"line one\r\nline two", "03/01/25", "14:05:01"},
        {"\"quoted\" start", "03/01/25", "14:05:02"},
        {"lone\rCR and \"inner\" quotes", "", ""},
        {"plain", "03/01/25", "14:05:03"},
    };
    const QByteArray bytes = serializeSchedule(entries, u',');
    EXPECT_TRUE(bytes.contains("\"AT+X=1,2\",03/01/25"));
    EXPECT_TRUE(bytes.contains("\r\nplain,03/01/25,14:05:03\r\n")) << "others as they are";
    EXPECT_EQ(parseSchedule(bytes, u','), entries);
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
        {"\"never closed;x;y\r\nz;1;2", {{"never closed;x;y\r\nz;1;2", "", ""}}},
        {"caf\xE9;1;2", {{QStringLiteral("caf\u00E9"), "1", "2"}}},
        {QByteArray("\xFF\xFEP\0;\0d\0;\0t\0", 12), {{"P", "d", "t"}}},
        {kBom, {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseSchedule(c.bytes, u';'), c.entries) << c.bytes.toHex().toStdString();

    QByteArray junk(256 * 1024, Qt::Uninitialized);
    QRandomGenerator gen(11);
    for (char& ch : junk)
        ch = char(gen.bounded(256));
    parseSchedule(junk, u';'); // loads without a crash

    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += "CMD" + QByteArray::number(i) + ";01.03.2025;14:05:00\r\n";
    const QList<SendLaterEntry> loaded = parseSchedule(many, u';');
    ASSERT_EQ(loaded.size(), 100000);
    EXPECT_EQ(loaded.last().command, "CMD99999");
}

} // namespace
