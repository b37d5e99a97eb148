#include "port/linuxserialdevice.h"
#include "port/portholders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "openasuser.h"
#include "support/files.h"
#include "support/pseudoterminal.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray hdb(qint64 pid) {
    return QByteArray::number(pid).rightJustified(10, ' ') + '\n';
}

QByteArray binary(qint32 pid) {
    return QByteArray(reinterpret_cast<const char*>(&pid), sizeof pid);
}

// The PID of a process that has ended and been reaped: nobody holds it now.
qint64 deadPid() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

TEST(UucpLockFile, PidInHdbAndBinaryForms) {
    const struct {
        const char* name;
        QByteArray content;
        qint64 pid;
    } cases[] = {
        {"HDB, padded", hdb(1234), 1234},
        {"HDB, unpadded", "1234\n", 1234},
        {"HDB, no newline", "4194304", 4194304},
        {"HDB with the program's name after", "      1234 minicom root\n", 1234},
        {"binary", binary(1234), 1234},
        {"binary, large PID", binary(4194304), 4194304},
        {"empty", "", 0},
        {"only spaces", "          \n", 0},
        {"words", "garbage\n", 0},
        {"digits and letters", "12ab\n", 0},
        {"zero", hdb(0), 0},
        {"negative: would name a process group", "        -1\n", 0},
        {"beyond any PID", "99999999999\n", 0},
        {"PID on the second line", "\n1234\n", 0},
        {"binary zero", binary(0), 0},
        {"binary negative", binary(-1), 0},
        {"zero bytes, not four", QByteArray("\x39\x30\0", 3), 0},
        {"eight binary bytes", binary(1234) + binary(0), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.pid, uucpLockPid(c.content));
    }
}

TEST(UucpLockFile, NamesOfTheDevice) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    const QString number = pty.slavePath().section(QLatin1Char('/'), -1);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("myport"));
    ASSERT_TRUE(QFile::link(pty.slavePath(), link));

    EXPECT_EQ(QStringList{QStringLiteral("LCK..ttyUSB0")},
              uucpLockNames(QStringLiteral("/dev/ttyUSB0")));
    EXPECT_EQ(QStringList{QStringLiteral("LCK..ttyACM1")},
              uucpLockNames(QStringLiteral("/dev/serial/ttyACM1")));
    // A bare number would be ambiguous: no "LCK..3".
    EXPECT_EQ((QStringList{"LCK..pts_" + number, "LCK..pts." + number}),
              uucpLockNames(pty.slavePath()));
    // A link is known by its own name and by the device it leads to.
    EXPECT_EQ((QStringList{"LCK..myport", "LCK..pts_" + number, "LCK..pts." + number}),
              uucpLockNames(link));
}

TEST(ProcLocks, FlockHoldersOfOneFile) {
    // The device number in hex (major:minor), the inode in decimal.
    const QByteArray locks = "1: FLOCK  ADVISORY  WRITE 4321 00:1a:3 0 EOF\n"
                             "1: -> FLOCK  ADVISORY  WRITE 999 00:1a:3 0 EOF\n"
                             "2: POSIX  ADVISORY  WRITE 555 00:1a:3 0 EOF\n"
                             "3: FLOCK  ADVISORY  READ 600 00:1a:3 0 EOF\n"
                             "4: FLOCK  ADVISORY  WRITE 700 00:1a:30 0 EOF\n"
                             "5: FLOCK  ADVISORY  WRITE 701 00:1b:3 0 EOF\n"
                             "6: FLOCK  ADVISORY  WRITE 800 fe:00:3 0 EOF\n"
                             "7: FLOCK  ADVISORY  WRITE 0 00:1a:3 0 EOF\n"
                             "8: FLOCK  ADVISORY  WRITE -1 00:1a:3 0 EOF\n"
                             "9: OFDLCK ADVISORY  WRITE -1 00:1a:3 0 EOF\n"
                             "garbage\n"
                             "10: FLOCK  ADVISORY  WRITE 4321 00:1a:3 0 EOF\n";
    EXPECT_EQ((QList<qint64>{4321, 600}), flockHolderPids(locks, 0, 26, 3));
    EXPECT_EQ(QList<qint64>{800}, flockHolderPids(locks, 254, 0, 3));
    EXPECT_EQ(QList<qint64>{700}, flockHolderPids(locks, 0, 26, 30));
    EXPECT_TRUE(flockHolderPids(locks, 0, 26, 4).isEmpty());
    EXPECT_TRUE(flockHolderPids("", 0, 26, 3).isEmpty());
}

TEST(ProcLocks, ThisMachineListsARealFlock) {
    // What the parser assumes about /proc/locks, checked against the kernel it runs on, on a
    // regular file and on a pseudo-terminal.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("locked"));
    writeBytes(file, "x");
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    for (const QString& path : {file, pty.slavePath()}) {
        SCOPED_TRACE(path.toStdString());
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(0, flock(fd, LOCK_EX | LOCK_NB));
        const QList<PortHolder> holders = flockHolders(fd, PortSystemPaths());
        ASSERT_EQ(1, holders.size());
        EXPECT_EQ(getpid(), holders[0].pid);
        EXPECT_FALSE(holders[0].command.isEmpty());
        ::close(fd);
    }
}

// Lock files in two temporary lock folders, and a /proc of our own for command names.
class LockFolders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        for (const char* sub : {"var-lock", "run-lock", "proc"})
            ASSERT_TRUE(QDir(tmp.path()).mkpath(QLatin1String(sub)));
        paths.lockDirs = {tmp.filePath(QStringLiteral("var-lock")),
                          tmp.filePath(QStringLiteral("run-lock"))};
        paths.procDir = tmp.filePath(QStringLiteral("proc"));
        paths.groupFile = tmp.filePath(QStringLiteral("group"));
    }
    void writeLock(int folder, const QString& name, const QByteArray& content) {
        writeBytes(QDir(paths.lockDirs[folder]).filePath(name), content);
    }
    void nameProcess(qint64 pid, const QByteArray& comm) {
        const QString dir = paths.procDir + QStringLiteral("/%1").arg(pid);
        ASSERT_TRUE(QDir().mkpath(dir));
        writeBytes(dir + QStringLiteral("/comm"), comm);
    }

    QTemporaryDir tmp;
    PortSystemPaths paths;
};

TEST_F(LockFolders, LiveLockFilesNameTheirHolderStaleOnesAreIgnored) {
    nameProcess(getpid(), "otherterm\n");
    const qint64 dead = deadPid();
    const QString device = QStringLiteral("/dev/ttyUSB0");
    const struct {
        const char* name;
        int folder;
        QByteArray content;
        qint64 holder; // 0: stale, nobody
    } cases[] = {
        {"HDB, alive", 0, hdb(getpid()), getpid()},
        {"binary, alive", 1, binary(getpid()), getpid()},
        {"HDB, process gone", 0, hdb(dead), 0},
        {"binary, process gone", 1, binary(qint32(dead)), 0},
        {"garbage", 0, "garbage\n", 0},
        {"empty", 1, "", 0},
        {"negative", 0, "-1\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeLock(c.folder, QStringLiteral("LCK..ttyUSB0"), c.content);
        const std::optional<PortHolder> holder = uucpLockHolder(device, paths);
        if (c.holder == 0) {
            EXPECT_FALSE(holder.has_value());
        } else {
            ASSERT_TRUE(holder.has_value());
            EXPECT_EQ(c.holder, holder->pid);
            EXPECT_EQ(QStringLiteral("otherterm"), holder->command);
            EXPECT_EQ(QDir(paths.lockDirs[c.folder]).filePath(QStringLiteral("LCK..ttyUSB0")),
                      holder->lockFile);
            EXPECT_EQ(QStringLiteral("PID %1 (otherterm)").arg(getpid()), holder->describe());
        }
        QFile::remove(QDir(paths.lockDirs[c.folder]).filePath(QStringLiteral("LCK..ttyUSB0")));
    }
    // Another device's lock is not this one's.
    writeLock(0, QStringLiteral("LCK..ttyUSB1"), hdb(getpid()));
    EXPECT_FALSE(uucpLockHolder(device, paths).has_value());
}

TEST_F(LockFolders, WhatCannotBeALockFileIsIgnoredWithoutWaiting) {
    // The lock folders are writable by everyone: a FIFO there must not block the open.
    const QString fifo = QDir(paths.lockDirs[0]).filePath(QStringLiteral("LCK..ttyS0"));
    ASSERT_EQ(0, mkfifo(QFile::encodeName(fifo).constData(), 0600));
    ASSERT_TRUE(QDir(paths.lockDirs[1]).mkdir(QStringLiteral("LCK..ttyS0")));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(uucpLockHolder(QStringLiteral("/dev/ttyS0"), paths).has_value());
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST_F(LockFolders, CommandNamesArePrintableText) {
    nameProcess(41, "name\twith\x01tabs\n");
    nameProcess(42, "");
    EXPECT_EQ(QStringLiteral("name?with?tabs"), processCommand(41, paths.procDir));
    EXPECT_EQ(QString(), processCommand(42, paths.procDir));
    EXPECT_EQ(QString(), processCommand(43, paths.procDir));
    PortHolder unnamed;
    unnamed.pid = 43;
    EXPECT_EQ(QStringLiteral("PID 43"), unnamed.describe());
}

TEST_F(LockFolders, PortWithALiveLockFileIsInUse) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    const QString number = pty.slavePath().section(QLatin1Char('/'), -1);
    nameProcess(getpid(), "otherterm\n");

    for (const QString& name : {"LCK..pts_" + number, "LCK..pts." + number}) {
        SCOPED_TRACE(name.toStdString());
        writeLock(1, name, hdb(getpid()));
        LinuxSerialDevice device(pty.slavePath(), paths);
        const DeviceError e = device.open();
        EXPECT_EQ(DeviceError::InUse, e.kind);
        EXPECT_FALSE(device.isOpen());
        for (const QString& part : {QStringLiteral("in use by another program"),
                                    QStringLiteral("PID %1 (otherterm)").arg(getpid()),
                                    QDir(paths.lockDirs[1]).filePath(name)})
            EXPECT_TRUE(e.detail.contains(part)) << e.detail.toStdString();
        QFile::remove(QDir(paths.lockDirs[1]).filePath(name));
    }

    // Once its holder has gone the lock file is stale: the port opens.
    writeLock(0, "LCK..pts_" + number, hdb(deadPid()));
    LinuxSerialDevice device(pty.slavePath(), paths);
    const DeviceError e = device.open();
    EXPECT_FALSE(e) << e.detail.toStdString();
    EXPECT_TRUE(device.isOpen());
}

// Another process holding the line with a flock (and exclusive mode when asked) until it is
// destroyed, under a name of its own.
class LineHolder {
public:
    LineHolder(const QString& path, const char* name, bool exclusive) {
        int ready[2], release[2];
        if (pipe(ready) != 0 || pipe(release) != 0)
            return;
        const QByteArray line = QFile::encodeName(path);
        m_pid = fork();
        if (m_pid == 0) {
            // Only system calls here: the child of a threaded process.
            prctl(PR_SET_NAME, name);
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(line.constData(), O_RDWR | O_NOCTTY);
            const char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                                    (!exclusive || ioctl(fd, TIOCEXCL) == 0)
                                ? '1'
                                : '0';
            if (::write(ready[1], &ok, 1) != 1)
                _exit(1);
            char c;
            while (::read(release[0], &c, 1) < 0 && errno == EINTR) {
            }
            _exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char ok = '0';
        m_holding = m_pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok == '1';
        ::close(ready[0]);
    }
    ~LineHolder() { stop(); }
    void stop() {
        if (m_release >= 0)
            ::close(m_release);
        m_release = -1;
        if (m_pid > 0)
            waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    bool holding() const { return m_holding; }
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_holding = false;
};

TEST_F(LockFolders, PortFlockedByAnotherProcessNamesIt) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    LineHolder holder(pty.slavePath(), "lockholder", false);
    ASSERT_TRUE(holder.holding()) << "the child could not lock the line";
    const pid_t pid = holder.pid();

    // The real /proc, lock folders without lock files.
    PortSystemPaths real = paths;
    real.procDir = QStringLiteral("/proc");
    LinuxSerialDevice device(pty.slavePath(), real);
    const DeviceError e = device.open();
    holder.stop();

    EXPECT_EQ(DeviceError::InUse, e.kind);
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(e.detail.contains(QStringLiteral("PID %1 (lockholder)").arg(pid)))
        << e.detail.toStdString();

    // Released with the child's end: the line opens.
    EXPECT_FALSE(device.open());
}

// A holder that also set exclusive mode (TIOCEXCL) makes the open itself fail for anyone but
// root: it is still named, from /proc/locks by the device's number.
TEST_F(LockFolders, PortHeldInExclusiveModeNamesItsHolderToo) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.isValid());
    const QByteArray slave = QFile::encodeName(pty.slavePath());
    const passwd* nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr;
    if (geteuid() == 0 && !nobody)
        GTEST_SKIP() << "no user to become";
    if (nobody) {
        // The opener is another user, whom exclusive mode stops; it may open the line otherwise.
        ASSERT_EQ(0, chmod(slave.constData(), 0666));
        ASSERT_EQ(0, chmod(QFile::encodeName(tmp.path()).constData(), 0755));
    }
    LineHolder holder(pty.slavePath(), "exclholder", true);
    ASSERT_TRUE(holder.holding()) << "the holder could not lock the line";
    PortSystemPaths real = paths;
    real.procDir = QStringLiteral("/proc");
    const OpenedAs opened = openAsUser(pty.slavePath(), real, nobody);
    ASSERT_TRUE(opened.ran) << "could not give up root";

    EXPECT_EQ(DeviceError::InUse, opened.error.kind);
    const QString& detail = opened.error.detail;
    EXPECT_TRUE(detail.startsWith("Cannot open " + pty.slavePath())) << detail.toStdString();
    EXPECT_TRUE(detail.contains(QStringLiteral("PID %1 (exclholder)").arg(holder.pid())))
        << detail.toStdString();
}

} // namespace
