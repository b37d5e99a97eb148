#include "receive/trafficlog.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

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

// A file-size limit stands for a disk that fills part way through an entry: the write stops
// short, and the file must go back to where it was rather than end in half an entry.
TEST(TrafficLog, AnEntryIsWrittenWholeOrNotAtAll) {
    QTemporaryDir tmp;
    const QDate day(2026, 12, 10);
    ASSERT_TRUE(appendTrafficLog(tmp.path(), day, "incoming", "41 42 "));
    // Entries that are not whole are cut back, the next one that fits goes on as usual.
    const QString entries[] = {"53 54 55 56 ", QStringLiteral("\u00e9\u00e9\u00e9\u00e9\u00e9")};

    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written[2];
    for (int i = 0; i < 2; ++i)
        written[i] = appendTrafficLog(tmp.path(), day, "incoming", entries[i]);
    const bool fits = appendTrafficLog(tmp.path(), day, "incoming", "43 ");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written[0]);
    EXPECT_FALSE(written[1]);
    EXPECT_TRUE(fits);
    EXPECT_EQ(contents(trafficLogPath(tmp.path(), day, "incoming")), "41 42 43 ");
}

} // namespace
