#include "receive/trafficlog.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(TrafficLog, FileNameFollowsTheDateAndKind) {
    const QDate day(2024, 3, 5);
    EXPECT_EQ(trafficLogPath("/logs", day, "incoming"), "/logs/2024-03-05 incoming.txt");
    EXPECT_EQ(trafficLogPath("/logs/", day, "outgoing"), "/logs/2024-03-05 outgoing.txt");
}

TEST(TrafficLog, EntriesAreAppendedAsTheyAreWithoutAByteOrderMark) {
    QTemporaryDir tmp;
    const QString dir = tmp.filePath("a/b/logs"); // missing, parents included
    const QDate day(2026, 12, 10);
    EXPECT_TRUE(appendTrafficLog(dir, day, "incoming", "AB"));
    EXPECT_TRUE(appendTrafficLog(dir, day, "incoming", "41 42 "));
    // Every entry opens and closes the file, as after a restart; no mark is ever added.
    for (int i = 0; i < 50; ++i)
        EXPECT_TRUE(appendTrafficLog(dir, day, "incoming", QStringLiteral("é")));
    EXPECT_EQ(contents(trafficLogPath(dir, day, "incoming")),
              "AB41 42 " + QString(50, QChar(0xE9)).toUtf8());
    EXPECT_FALSE(QFile::exists(trafficLogPath(dir, day, "outgoing")));
}

TEST(TrafficLog, MidnightStartsTheNextDaysFile) {
    QTemporaryDir tmp;
    EXPECT_TRUE(appendTrafficLog(tmp.path(), QDate(2026, 12, 31), "outgoing", "before"));
    EXPECT_TRUE(appendTrafficLog(tmp.path(), QDate(2027, 1, 1), "outgoing", "after"));
    EXPECT_EQ(contents(tmp.filePath("2026-12-31 outgoing.txt")), "before");
    EXPECT_EQ(contents(tmp.filePath("2027-01-01 outgoing.txt")), "after");
}

TEST(TrafficLog, UnusableFoldersLoseTheEntrySilently) {
    QTemporaryDir tmp;
    QFile plain(tmp.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QDate day(2026, 12, 10);
    EXPECT_FALSE(appendTrafficLog("", day, "incoming", "x"));
    EXPECT_FALSE(appendTrafficLog(tmp.filePath("plain"), day, "incoming", "x"));
    EXPECT_FALSE(appendTrafficLog(tmp.filePath("plain/sub"), day, "incoming", "x"));
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"plain"}));
}

} // namespace
