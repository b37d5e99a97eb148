#include "support/qtprinters.h"
#include "transmit/filelines.h"
#include "transmit/filelistmodel.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Each row: a file's bytes and the rows it loads as.
TEST(FileLines, DecodedAndSplitLikeEveryTextFileTheUserPicks) {
    const QChar bom(0xFEFF);
    const struct {
        const char* what;
        QByteArray bytes;
        QStringList rows;
    } cases[] = {
        {"CR LF, LF and a lone CR", "A\r\nB\nC\rD", {"A", "B", "C", "D"}},
        {"a break at the very end makes no row", "A\r\nB\r\n", {"A", "B"}},
        {"blank rows are rows", "A\n\n\r\nB\r\r", {"A", "", "", "B", ""}},
        {"empty file", "", {}},
        {"only a break", "\r\n", {""}},
        {"UTF-8 with its mark",
         "\xEF\xBB\xBF"
         "caf\xC3\xA9\r\n",
         {QStringLiteral("caf\u00e9")}},
        {"one mark only: a second one is text", "\xEF\xBB\xBF\xEF\xBB\xBFx", {bom + QString("x")}},
        {"not UTF-8: Latin-1",
         "caf\xE9\nna\xEFve",
         {QStringLiteral("caf\u00e9"), QStringLiteral("na\u00efve")}},
        {"broken UTF-8 after its mark",
         "\xEF\xBB\xBF"
         "ok\xFF\nB",
         {QStringLiteral("ok\ufffd"), "B"}},
        {"UTF-16 LE",
         QByteArray("\xFF\xFE"
                    "A\0\r\0\n\0\xAC\x20",
                    10),
         {"A", QStringLiteral("\u20ac")}},
        {"breaks of every kind", "A\rB\r\nC\n", {"A", "B", "C"}},
        {"two breaks, two blank rows", "\n\n", {"", ""}},
        {"UTF-16 BE with a second mark",
         QByteArray("\xFE\xFF\xFE\xFF\0A\0\n\0B", 10),
         {bom + QString("A"), "B"}},
    };
    for (const auto& c : cases) {
        const FileLines lines = FileLines::fromBytes(c.bytes);
        EXPECT_EQ(lines.toStringList(), c.rows) << c.what;
        EXPECT_EQ(lines.size(), c.rows.size()) << c.what;
    }
}

TEST(FileLines, AnyBytesLoadOneCharacterPerByte) {
    QByteArray junk(64 * 1024, Qt::Uninitialized);
    QRandomGenerator gen(3);
    for (char& c : junk)
        c = char(gen.bounded(256));
    const FileLines lines = FileLines::fromBytes(junk);
    EXPECT_EQ(lines.toStringList().join(QString()).size(),
              junk.size() - junk.count('\r') - junk.count('\n'))
        << "Latin-1 keeps one character per byte besides the breaks";
}

TEST(FileLines, EditedAndDeletedRowsInTheModel) {
    FileListModel model;
    model.setLines(FileLines::fromBytes("one\r\ntwo\r\nthree\r\nfour"));
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_TRUE(model.flags(model.index(1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.setData(model.index(1), QStringLiteral("zwei \u00e9"), Qt::EditRole));
    EXPECT_TRUE(model.removeRow(0));
    EXPECT_EQ(model.stringList(), QStringList({QStringLiteral("zwei \u00e9"), "three", "four"}));
    EXPECT_EQ(model.rowText(2), "four");
    EXPECT_EQ(model.data(model.index(0), Qt::DisplayRole).toString(),
              QStringLiteral("zwei \u00e9"));
    EXPECT_FALSE(model.removeRows(2, 2));
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

// Only a regular file is loaded: a FIFO must not block, a device must not be read without end,
// and a file larger than the limit is refused before it is read.
TEST(FileLines, OnlyRegularFilesWithinTheLimitLoad) {
    QTemporaryDir tmp;
    const QString fifo = tmp.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile big(tmp.filePath("big.txt"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(2000, 'x'));
    big.close();

    const struct {
        QString path;
        qint64 limit;
        bool exists;
        QString error;
    } cases[] = {
        {tmp.filePath("missing"), -1, false, ""},
        {"", -1, false, ""},
        {fifo, -1, true, "Cannot open file \"" + fifo + "\". Not a regular file."},
        {"/dev/zero", -1, true, "Cannot open file \"/dev/zero\". Not a regular file."},
        {tmp.path(), -1, true, "Cannot open file \"" + tmp.path() + "\". Is a directory"},
        {big.fileName(), 1999, true,
         "Cannot open file \"" + big.fileName() +
             "\". The file is too large to load (2000 bytes; at most 1999 bytes)."},
        {big.fileName(), 2000, true, ""},
    };
    for (const auto& c : cases) {
        const FileLinesRead read = readFileLines(c.path, c.limit);
        EXPECT_EQ(read.exists, c.exists) << c.path.toStdString();
        EXPECT_EQ(read.error, c.error) << c.path.toStdString();
    }

    // Rows cost memory beyond their text: 2000 empty lines take far more than 2000 bytes, and
    // are refused where 2000 bytes of one line fit.
    QFile breaks(tmp.filePath("breaks.txt"));
    ASSERT_TRUE(breaks.open(QIODevice::WriteOnly));
    breaks.write(QByteArray(2000, '\n'));
    breaks.close();
    const qint64 budget = 2000 * 3;
    EXPECT_EQ(readFileLines(big.fileName(), 2000, budget).error, "");
    EXPECT_EQ(readFileLines(breaks.fileName(), 2000, budget).error,
              "Cannot open file \"" + breaks.fileName() +
                  "\". Not enough memory to load the file.");
    EXPECT_EQ(readFileLines(breaks.fileName(), 2000, 2000 * (1 + kFileRowMemoryBytes + 1)).error,
              "");
}

} // namespace
