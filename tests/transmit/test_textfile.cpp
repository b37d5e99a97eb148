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

TEST(TextFile, OneByteOrderMarkIsTakenOffAndLostBytesAreReported) {
    const QChar bom(0xFEFF), replacement(0xFFFD);
    struct Case {
        QByteArray bytes;
        QString text;
        bool lossless;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF\xEF\xBB\xBFx", bom + QString("x"), true},
        {QByteArray("\xFF\xFE\xFF\xFE"
                    "A\0",
                    6),
         bom + QString("A"), true},
        {QByteArray("\xFE\xFF\xFE\xFF\0A", 6), bom + QString("A"), true},
        {"\xEF\xBB\xBF\xEF\xBB\xBF\xFF", QString(bom) + replacement, false},
        {"\xEF\xBB\xBF", "", true},
        {"caf\xE9", QStringLiteral("caf\u00E9"), true}, // Latin-1 is a reading, not a loss
        {QByteArray("\xFF\xFE=\xD8\0\xDE", 6), QStringLiteral("\U0001F600"), true},
        {QByteArray("\xFF\xFE"
                    "A\0\0\xD8"
                    "B\0",
                    8),
         QString("A") + QChar(0xD800) + "B", false},
        {QByteArray("\xFE\xFF\xDC\0\0A", 6), QString(QChar(0xDC00)) + "A", false},
        {QByteArray("\xFF\xFE"
                    "A\0B",
                    5),
         "A", false}, // an odd last byte
    };
    for (const Case& c : cases) {
        const DecodedText decoded = decodeTextFileChecked(c.bytes);
        EXPECT_EQ(decoded.text, c.text) << c.bytes.toHex().toStdString();
        EXPECT_EQ(decoded.lossless, c.lossless) << c.bytes.toHex().toStdString();
        EXPECT_EQ(decodeTextFile(c.bytes), c.text) << c.bytes.toHex().toStdString();
    }
}

} // namespace
