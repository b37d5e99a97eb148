#include "services/checkerstore.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(CheckerStore, LivesUnderTheMd5OfTheCaption) {
    EXPECT_EQ(CheckerStore::folderFor("/home/u/.config", "TARNICK", "TARNICK - Brevane"),
              "/home/u/.config/TARNICK/ServiceModules/B21B70B7DE994E039B174A7244469B5C");
}

TEST(CheckerStore, WritesReadBackAcrossOpensAndKeepOtherValues) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath("TARNICK/ServiceModules/X"); // created when missing
    {
        CheckerStore store(folder);
        ASSERT_TRUE(store.open().ok);
        EXPECT_EQ(store.readNumber("ShowUpdate", 1), 1);
        EXPECT_EQ(store.readString("LastUpdateCheck"), "");
        ASSERT_TRUE(store.writeNumber("HowMany", 3).ok);
        ASSERT_TRUE(store.writeString("LastUpdateCheck", "03/01/25").ok);
        ASSERT_TRUE(store.writeNumber("HowMany", 4).ok);
        ASSERT_TRUE(store.writeString("Bad", "a\nb").ok); // cannot break the file's lines
    }
    EXPECT_EQ(fileBytes(folder + "/Settings.ini"),
              "[Settings]\nHowMany=4\nLastUpdateCheck=03/01/25\nBad=a b\n");
    CheckerStore again(folder);
    ASSERT_TRUE(again.open().ok);
    EXPECT_EQ(again.readNumber("HowMany", 0), 4);
    EXPECT_EQ(again.readString("LastUpdateCheck"), "03/01/25");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"Settings.ini"}); // no leftovers
}

TEST(CheckerStore, NumbersThatAreNotNumbersReadAsTheirDefault) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("Settings.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\r\nShowUpdate=yes\r\nHowMany=\r\nLastUpdateCheckCount=2\r\n"
               "InstalledVersion=2.0\r\nnoise line\r\n");
    file.close();
    CheckerStore store(dir.path());
    ASSERT_TRUE(store.open().ok);
    EXPECT_EQ(store.readNumber("ShowUpdate", 1), 1);
    EXPECT_EQ(store.readNumber("HowMany", 0), 0);
    EXPECT_EQ(store.readNumber("LastUpdateCheckCount", 0), 2);
    EXPECT_EQ(store.readString("InstalledVersion"), "2.0");
}

TEST(CheckerStore, AFolderThatCannotBeMadeFailsToOpenAndRefusesWrites) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile blocker(dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CheckerStore store(dir.filePath("file/ServiceModules"));
    EXPECT_FALSE(store.open().ok);
    const StoreResult write = store.writeNumber("HowMany", 1);
    EXPECT_FALSE(write.ok);
    EXPECT_FALSE(write.error.isEmpty());
}

// The store lives in the user's folder, where anything may lie: a FIFO in its place is refused
// at once (never waited on), and what a killed write left behind is cleared at the next open.
TEST(CheckerStore, OpensOnlyARegularFileAndClearsItsStaleTemporaries) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CheckerStore store(dir.path());
    const QString stale = store.filePath() + ".brevane-Ab12Cd.tmp";
    const QString foreign = store.filePath() + ".Ab12Cd";
    for (const QString& path : {stale, foreign}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_EQ(0, mkfifo(QFile::encodeName(store.filePath()).constData(), 0600));
    const StoreResult opened = store.open();
    EXPECT_FALSE(opened.ok);
    EXPECT_FALSE(opened.error.isEmpty());
    EXPECT_FALSE(QFile::exists(stale));
    EXPECT_TRUE(QFile::exists(foreign)) << "someone else's file";

    ASSERT_TRUE(QFile::remove(store.filePath()));
    EXPECT_TRUE(store.open().ok);
    EXPECT_TRUE(store.writeNumber("HowMany", 2).ok);
    EXPECT_EQ(fileBytes(store.filePath()), "[Settings]\nHowMany=2\n");
}

} // namespace
