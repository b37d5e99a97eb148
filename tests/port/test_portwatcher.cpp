#include "port/portwatcher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "support/files.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class PortWatcherTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString at(const QString& relative) const { return m_dir.filePath(relative); }

    // Counts the watcher's signals.
    void watch(const QStringList& folders) {
        m_watcher = std::make_unique<PortWatcher>(folders, 40ms);
        QObject::connect(m_watcher.get(), &PortWatcher::changed, [this] { ++m_changes; });
    }
    // Waits for the next signal (generously: the machine may be busy), then a while longer
    // for any that should not come.
    void expectOneChange(const char* what) {
        SCOPED_TRACE(what);
        const int before = m_changes;
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_changes > before; }, 5000));
        QTest::qWait(150);
        EXPECT_EQ(m_changes, before + 1);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<PortWatcher> m_watcher;
    int m_changes = 0;
};

TEST_F(PortWatcherTest, ABurstOfChangesGivesOneSignalAndQuietGivesNone) {
    watch({at("")});
    ASSERT_TRUE(m_watcher->isWatching());
    QTest::qWait(150);
    EXPECT_EQ(m_changes, 0);

    // A plug-in: the node, then a few more names in quick succession.
    for (const char* name : {"ttyUSB0", "ttyUSB0.tmp", "hidraw0"})
        writeBytes(at(name), QByteArray());
    ASSERT_TRUE(QFile::rename(at("ttyUSB0.tmp"), at("ttyUSB1")));
    expectOneChange("plugged in");

    ASSERT_TRUE(QFile::remove(at("ttyUSB0")));
    expectOneChange("unplugged");

    // Only names coming and going count, not a node's owner or mode being set.
    ASSERT_TRUE(QFile::setPermissions(at("ttyUSB1"), QFile::ReadOwner | QFile::WriteOwner));
    QTest::qWait(150);
    EXPECT_EQ(m_changes, 2);
}

TEST_F(PortWatcherTest, FoldersThatAppearLaterAreWatchedToo) {
    // udev makes /dev/serial/by-id with the first USB serial device.
    ASSERT_TRUE(QDir().mkpath(at("dev")));
    watch({at("dev"), at("dev/serial"), at("dev/serial/by-id")});
    ASSERT_TRUE(QDir().mkpath(at("dev/serial")));
    expectOneChange("dev/serial made");
    ASSERT_TRUE(QDir().mkpath(at("dev/serial/by-id")));
    expectOneChange("dev/serial/by-id made");
    ASSERT_TRUE(QFile::link("../../ttyUSB0", at("dev/serial/by-id/usb-FTDI-if00-port0")));
    expectOneChange("a by-id link made");

    // Removed and made anew (the last device unplugged, another plugged in).
    ASSERT_TRUE(QDir(at("dev/serial")).removeRecursively());
    expectOneChange("dev/serial removed");
    ASSERT_TRUE(QDir().mkpath(at("dev/serial/by-id")));
    QTest::qWait(300); // the event for dev/serial re-arms the watch on by-id
    const int before = m_changes;
    ASSERT_TRUE(QFile::link("../../ttyACM0", at("dev/serial/by-id/usb-Arduino-if00")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_changes > before; }, 5000));
}

TEST_F(PortWatcherTest, NothingToWatchNeverSignals) {
    watch({at("missing"), QString()});
    EXPECT_FALSE(m_watcher->isWatching());
    ASSERT_TRUE(QDir().mkpath(at("missing")));
    writeBytes(at("missing/ttyUSB0"), QByteArray());
    QTest::qWait(150);
    EXPECT_EQ(m_changes, 0);
}

} // namespace
