// Reading and replacing the files a user keeps: stale temporaries of killed writes, files that
// are not regular, and keeping an unreadable file aside.

#include "base/atomicfile.h"
#include "base/keepaside.h"
#include "base/regularfile.h"
#include "support/files.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Writers killed at random points leave temporaries behind; the clean-up at the next start
// removes every one, and the file itself is always whole (the old or the new content).
TEST(AtomicFile, TemporariesOfKilledWritersAreRecognisedAndRemoved) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("settings.ini");
    const QByteArray content(256 * 1024, 'x');
    writeBytes(path, content);
    for (int round = 0; round < 30; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;)
                replaceFileAtomically(path, content);
        }
        ::usleep(useconds_t(2000 + round * 300));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    const QStringList left = entries(tmp.path());
    for (const QString& name : left)
        EXPECT_TRUE(name == "settings.ini" ||
                    QRegularExpression(R"(^settings\.ini\.brevane-[A-Za-z0-9]{6}\.tmp$)")
                        .match(name)
                        .hasMatch())
            << name.toStdString();
    EXPECT_EQ(removeStaleTemporaries(path), left.size() - 1);
    EXPECT_EQ(entries(tmp.path()), QStringList{"settings.ini"});
    EXPECT_EQ(readBytes(path), content);
}

TEST(AtomicFile, CleanUpTakesOnlyStaleFilesOfItsOwnPattern) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("settings.ini");
    const QStringList foreign = {
        "settings.ini.abc123",              // not this program's name
        "settings.ini.brevane-abc12.tmp",   // wrong length
        "settings.ini.brevane-abc_12.tmp",  // not letters and digits
        "sendlater.csv.brevane-abc123.tmp", // another file's
        "settings.ini.brevane-abc123.tmp~", // an editor's backup of one
    };
    for (const QString& name : foreign)
        writeBytes(tmp.filePath(name), "keep");
    writeBytes(tmp.filePath("elsewhere"), "target");
    ASSERT_TRUE(
        QFile::link(tmp.filePath("elsewhere"), tmp.filePath("settings.ini.brevane-Lnk123.tmp")));
    writeBytes(tmp.filePath("settings.ini.brevane-Stale1.tmp"), "half");
    writeBytes(tmp.filePath("settings.ini.brevane-Live22.tmp"), "being written");
    // A writer of another running copy holds its temporary locked.
    const int live =
        ::open(QFile::encodeName(tmp.filePath("settings.ini.brevane-Live22.tmp")), O_RDONLY);
    ASSERT_GE(live, 0);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);

    EXPECT_EQ(removeStaleTemporaries(path), 1);
    ::close(live);
    QStringList expected = foreign;
    expected << "elsewhere"
             << "settings.ini.brevane-Live22.tmp"
             << "settings.ini.brevane-Lnk123.tmp";
    expected.sort();
    EXPECT_EQ(entries(tmp.path()), expected);
    EXPECT_EQ(readBytes(tmp.filePath("elsewhere")), "target");
}

// A file kept as a link is replaced through its link; its temporaries sit beside the target.
TEST(AtomicFile, LinkedFilesKeepTheirLinkWhenRemovedOrCleanedUp) {
    QTemporaryDir tmp;
    ASSERT_TRUE(QDir(tmp.path()).mkdir("dotfiles"));
    const QString target = tmp.filePath("dotfiles/brevane.ini");
    const QString link = tmp.filePath("settings.ini");
    writeBytes(target, "[Settings]\r\nPort=COM3\r\n");
    ASSERT_TRUE(QFile::link(target, link));
    writeBytes(target + ".brevane-Stale1.tmp", "half");

    EXPECT_EQ(removeStaleTemporaries(link), 1);
    EXPECT_EQ(removeFileKeepingLink(link), 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readBytes(target), "");
    EXPECT_EQ(entries(tmp.filePath("dotfiles")), QStringList{"brevane.ini"});

    // A link whose target is not made yet (relative, through a second link) gets its target
    // written; the links stay. Only when the target's folder is missing is the link replaced.
    ASSERT_TRUE(QFile::link("dotfiles/new.ini", tmp.filePath("hop.ini")));
    const QString dangling = tmp.filePath("dangling.ini");
    ASSERT_TRUE(QFile::link(tmp.filePath("hop.ini"), dangling));
    EXPECT_EQ(replaceFileAtomically(dangling, "[Settings]\r\n"), 0);
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_TRUE(QFileInfo(tmp.filePath("hop.ini")).isSymLink());
    EXPECT_EQ(readBytes(tmp.filePath("dotfiles/new.ini")), "[Settings]\r\n");
    const QString nowhere = tmp.filePath("nowhere.ini");
    ASSERT_TRUE(QFile::link(tmp.filePath("missing/x.ini"), nowhere));
    EXPECT_EQ(replaceFileAtomically(nowhere, "y"), 0);
    EXPECT_FALSE(QFileInfo(nowhere).isSymLink());
    EXPECT_EQ(readBytes(nowhere), "y");

    const QString plain = tmp.filePath("plain.ini");
    writeBytes(plain, "x");
    EXPECT_EQ(removeFileKeepingLink(plain), 0);
    EXPECT_FALSE(QFileInfo::exists(plain));
    EXPECT_EQ(removeFileKeepingLink(plain), ENOENT);
}

// Only regular files are read; anything else fails at once with a reason, never blocks and
// never reads without end.
TEST(RegularFile, OnlyRegularFilesWithinTheLimitAreRead) {
    QTemporaryDir tmp;
    writeBytes(tmp.filePath("plain"), "abc");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tmp.filePath("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(tmp.path()).mkdir("folder"));
    ASSERT_TRUE(QFile::link(tmp.filePath("plain"), tmp.filePath("link")));
    ASSERT_TRUE(QFile::link(tmp.filePath("gone"), tmp.filePath("dangling")));
    using S = RegularFileRead::Status;
    const struct {
        QString path;
        qint64 limit;
        S status;
        QByteArray bytes;
        QString reason;
    } cases[] = {
        {tmp.filePath("plain"), 3, S::Ok, "abc", ""},
        {tmp.filePath("link"), 3, S::Ok, "abc", ""},
        {tmp.filePath("plain"), 2, S::Failed, "",
         "The file is too large to load (3 bytes; at most 2 bytes)."},
        {tmp.filePath("missing"), 3, S::Missing, "", ""},
        {tmp.filePath("dangling"), 3, S::Missing, "", ""},
        {tmp.filePath("plain/below"), 3, S::Missing, "", ""},
        {tmp.filePath("fifo"), 3, S::Failed, "", "Not a regular file."},
        {tmp.filePath("folder"), 3, S::Failed, "", "Is a directory"},
        {"/dev/zero", 3, S::Failed, "", "Not a regular file."},
    };
    for (const auto& c : cases) {
        const RegularFileRead r = readRegularFile(c.path, c.limit);
        EXPECT_EQ(r.status, c.status) << c.path.toStdString();
        EXPECT_EQ(r.bytes, c.bytes) << c.path.toStdString();
        EXPECT_EQ(r.reason, c.reason) << c.path.toStdString();
    }
}

TEST(KeepAside, TakesTheFirstFreeNameAndNeverReplacesAnything) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("sendlater.csv");
    writeBytes(path + ".unreadable", "older");
    writeBytes(path, "first");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    const KeptAside copy = copyAside(path, "first");
    EXPECT_EQ(copy.path, path + ".unreadable.2");
    EXPECT_EQ(readBytes(copy.path), "first");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(copy.path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, mode_t(0600)) << "the copy is no more readable than the file";
    EXPECT_EQ(readBytes(path), "first") << "a copy leaves the original in place";
    EXPECT_EQ(copyAside(path, "first").path, copy.path) << "the same bytes are not copied twice";

    const KeptAside moved = moveAside(path);
    EXPECT_EQ(moved.path, path + ".unreadable.3");
    EXPECT_EQ(readBytes(moved.path), "first");
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(readBytes(path + ".unreadable"), "older");

    // Nothing to move, or no room for the longer name: a failure with the reason.
    EXPECT_EQ(moveAside(path).sysErrno, ENOENT);
    const QString longName = tmp.filePath(QString(250, 'n'));
    writeBytes(longName, "x");
    const KeptAside tooLong = moveAside(longName);
    EXPECT_FALSE(tooLong.ok());
    EXPECT_EQ(tooLong.sysErrno, ENAMETOOLONG);
    EXPECT_EQ(copyAside(longName, "x").sysErrno, ENAMETOOLONG);
}

} // namespace
