#include "support/qtprinters.h"
#include "transmit/textfile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(TextFile, DecodedByContentThenByteOrderMarkThenLatin1) {
    struct Case {
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9",
         QStringLiteral("caf\u00E9")},
        {"caf\xC3\xA9", QStringLiteral("caf\u00E9")},
        {"caf\xE9", QStringLiteral("caf\u00E9")}, // not UTF-8: Latin-1
        {QByteArray("\xFF\xFE"
                    "A\0\xAC\x20",
                    6),
         QStringLiteral("A\u20AC")},
        {QByteArray("\xFE\xFF\0A\x20\xAC", 6), QStringLiteral("A\u20AC")},
        {"\xEF\xBB\xBF"
         "ok\xFF",
         QStringLiteral("ok\uFFFD")}, // broken UTF-8 with its mark
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeTextFile(c.bytes), c.text) << c.bytes.toHex().toStdString();
}

TEST(TextFile, LinesSplitAtEveryKindOfBreak) {
    struct Case {
        QString text;
        QStringList lines;
    };
    const Case cases[] = {
        {"A\r\nB\r\nC\r\n", {"A", "B", "C"}},
        {"A\nB\nC", {"A", "B", "C"}},
        {"A\rB\r\nC\n", {"A", "B", "C"}},
        {"A\r\n\r\nC", {"A", "", "C"}},
        {"single", {"single"}},
        {"\r\n", {""}},
        {"", {}},
        {"\n\n", {"", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitLines(c.text), c.lines) << c.text.toStdString();
}

TEST(TextFile, MissingUnreadableAndJunkFiles) {
    QTemporaryDir tmp;
    EXPECT_FALSE(readTextFileLines(tmp.filePath("missing")).exists);
    EXPECT_FALSE(readTextFileLines(QString()).exists);

    const TextFileRead dir = readTextFileLines(tmp.path());
    EXPECT_TRUE(dir.exists);
    EXPECT_FALSE(dir.error.isEmpty());
    EXPECT_TRUE(dir.error.contains(tmp.path()));

    QByteArray junk(64 * 1024, Qt::Uninitialized);
    QRandomGenerator gen(3);
    for (char& c : junk)
        c = char(gen.bounded(256));
    QFile file(tmp.filePath("junk.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(junk);
    file.close();
    const TextFileRead read = readTextFileLines(file.fileName());
    EXPECT_TRUE(read.error.isEmpty());
    EXPECT_EQ(read.lines.join(QString()).size(), junk.size() - junk.count('\r') - junk.count('\n'))
        << "Latin-1 keeps one character per byte besides the breaks";
}

} // namespace
