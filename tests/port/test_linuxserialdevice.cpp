#include "port/linuxserialdevice.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "support/pseudoterminal.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 2000;

std::uint32_t kernelOutSpeed(int fd) {
    return PseudoTerminal::kernelOutSpeed(fd);
}
std::uint32_t kernelInSpeed(int fd) {
    return PseudoTerminal::kernelInSpeed(fd);
}

termios attributes(int fd) {
    termios t{};
    EXPECT_EQ(0, tcgetattr(fd, &t));
    return t;
}

// Reads from a plain descriptor until `count` bytes have come or the wait is over.
QByteArray readFd(int fd, qsizetype count) {
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (got.size() < count && timer.elapsed() < kWaitMs) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        char buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            got.append(buf, n);
    }
    return got;
}

// Reads through the device (which never blocks) until `count` bytes have come.
QByteArray readDevice(SerialDevice& device, qsizetype count) {
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (got.size() < count && timer.elapsed() < kWaitMs) {
        char buf[512];
        const qint64 n = device.read(buf, sizeof buf, nullptr);
        if (n > 0)
            got.append(buf, n);
        else
            usleep(1000);
    }
    return got;
}

QByteArray everyByteValue() {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

// A pseudo-terminal pair; the device under test opens the slave by its path. The fixture keeps
// its own slave descriptor to look at the line's settings from outside.
class PtyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, openpty(&m_master, &m_slave, nullptr, nullptr, nullptr));
        char name[64];
        ASSERT_EQ(0, ptsname_r(m_master, name, sizeof name));
        m_path = QString::fromLocal8Bit(name);
    }
    void TearDown() override {
        closeMaster();
        if (m_slave >= 0)
            ::close(m_slave);
    }
    void closeMaster() {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    void openAndConfigure(LinuxSerialDevice& device, const LineSettings& s = LineSettings()) {
        ASSERT_FALSE(device.open()) << device.open().detail.toStdString();
        const DeviceError e = device.configure(s);
        ASSERT_FALSE(e) << e.detail.toStdString();
    }

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

TEST_F(PtyTest, ConfigureMakesTheLineRaw) {
    LinuxSerialDevice device(m_path);
    openAndConfigure(device);
    const termios t = attributes(m_slave);
    EXPECT_EQ(0u, t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN));
    EXPECT_EQ(0u, t.c_oflag & OPOST);
    EXPECT_EQ(0u, t.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF));
    EXPECT_EQ(CS8 | CLOCAL | CREAD,
              t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD));
    EXPECT_EQ(0, t.c_cc[VMIN]);
    EXPECT_EQ(0, t.c_cc[VTIME]);
    EXPECT_EQ(B9600, cfgetospeed(&t));
    EXPECT_EQ(9600u, kernelOutSpeed(m_slave));
}

TEST_F(PtyTest, AnyRateIsSetAndReadBack) {
    // Standard rates go through cfsetspeed, the others through termios2; a pseudo-terminal
    // keeps any rate, so each must arrive exactly. Going from a non-standard rate back to a
    // standard one must not leave the old rate behind.
    LinuxSerialDevice device(m_path);
    ASSERT_FALSE(device.open());
    const std::uint32_t rates[] = {14400, 9600,    256000, 115200,   56000, 128000,
                                   50,    4000000, 250000, 12345678, 1,     134};
    for (std::uint32_t rate : rates) {
        SCOPED_TRACE(rate);
        LineSettings s;
        s.baud = rate;
        const DeviceError e = device.configure(s);
        EXPECT_FALSE(e) << e.detail.toStdString();
        EXPECT_EQ(rate, kernelOutSpeed(m_slave));
        EXPECT_EQ(rate, kernelInSpeed(m_slave));
    }
}

TEST_F(PtyTest, LineOptionsReachTheDriver) {
    struct Case {
        const char* name;
        LineSettings s;
        tcflag_t cflag; // under CSTOPB | CRTSCTS
        tcflag_t iflag; // under IXON | IXOFF
    };
    LineSettings twoStop;
    twoStop.stopBits = LineSettings::StopBits::Two;
    LineSettings xon;
    xon.xon = true;
    LineSettings octs;
    octs.outCts = true;
    LineSettings rtsHs;
    rtsHs.rts = LineSettings::Rts::Handshake;
    const Case cases[] = {
        {"defaults", LineSettings(), 0, 0}, {"stop=2", twoStop, CSTOPB, 0},
        {"xon=on", xon, 0, IXON | IXOFF},   {"octs=on", octs, CRTSCTS, 0},
        {"rts=hs", rtsHs, CRTSCTS, 0},
    };
    LinuxSerialDevice device(m_path);
    ASSERT_FALSE(device.open());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DeviceError e = device.configure(c.s);
        ASSERT_FALSE(e) << e.detail.toStdString();
        const termios t = attributes(m_slave);
        EXPECT_EQ(c.cflag, t.c_cflag & (CSTOPB | CRTSCTS));
        EXPECT_EQ(c.iflag, t.c_iflag & (IXON | IXOFF));
    }
}

TEST_F(PtyTest, PseudoTerminalForcingEightBitsNoParityIsNoSetupFailure) {
    // A pseudo-terminal keeps CS8 and drops parity. Changing only those flags makes Debian's
    // tcsetattr fail with EINVAL, which must not fail setup either: the second and later
    // configures here change nothing else.
    LinuxSerialDevice device(m_path);
    ASSERT_FALSE(device.open());
    const struct {
        int bits;
        LineSettings::Parity parity;
        LineSettings::StopBits stop;
    } cases[] = {
        {8, LineSettings::Parity::None, LineSettings::StopBits::One},
        {7, LineSettings::Parity::Even, LineSettings::StopBits::One},
        {6, LineSettings::Parity::Odd, LineSettings::StopBits::One},
        {5, LineSettings::Parity::Mark, LineSettings::StopBits::OnePointFive},
        {7, LineSettings::Parity::Space, LineSettings::StopBits::Two},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        LineSettings s;
        s.dataBits = c.bits;
        s.parity = c.parity;
        s.stopBits = c.stop;
        const DeviceError e = device.configure(s);
        EXPECT_FALSE(e) << e.detail.toStdString();
        EXPECT_EQ(CS8, attributes(m_slave).c_cflag & CSIZE);
    }
}

TEST_F(PtyTest, ImpossibleSettingsFailAsBadSettings) {
    LinuxSerialDevice device(m_path);
    ASSERT_FALSE(device.open());
    LineSettings zeroBaud;
    zeroBaud.baud = 0;
    LineSettings fourBits;
    fourBits.dataBits = 4;
    LineSettings nineBits;
    nineBits.dataBits = 9;
    LineSettings sixBitsHalf;
    sixBitsHalf.dataBits = 6;
    sixBitsHalf.stopBits = LineSettings::StopBits::OnePointFive;
    LineSettings fiveBitsTwo;
    fiveBitsTwo.dataBits = 5;
    fiveBitsTwo.stopBits = LineSettings::StopBits::Two;
    for (const LineSettings& s : {zeroBaud, fourBits, nineBits, sixBitsHalf, fiveBitsTwo}) {
        SCOPED_TRACE(s.dataBits);
        EXPECT_EQ(DeviceError::BadSettings, device.configure(s).kind);
    }
    // The line was not touched: still the rate the fixture's pty started with.
    EXPECT_NE(0u, kernelOutSpeed(m_slave));
    EXPECT_NE(0u, attributes(m_slave).c_lflag & ICANON);
}

TEST_F(PtyTest, ModemLineOptionsOnALineWithoutModemLinesAreIgnored) {
    // A pseudo-terminal answers every modem-line and RS-485 call with ENOTTY: connecting
    // still works, and the DSR rules have no DSR to obey.
    LineSettings s;
    s.dtr = LineSettings::Dtr::Handshake;
    s.outDsr = true;
    s.dsrSensitivity = true;
    for (LineSettings::Rts rts : {LineSettings::Rts::On, LineSettings::Rts::Toggle}) {
        SCOPED_TRACE(static_cast<int>(rts));
        s.rts = rts;
        LinuxSerialDevice device(m_path);
        openAndConfigure(device, s);
        EXPECT_EQ(2, device.write("hi", 2, nullptr));
        EXPECT_EQ("hi", readFd(m_master, 2));
        ASSERT_EQ(2, ::write(m_master, "ok", 2));
        EXPECT_EQ("ok", readDevice(device, 2));
    }
}

TEST_F(PtyTest, EveryByteValuePassesUnchangedBothWays) {
    LinuxSerialDevice device(m_path);
    openAndConfigure(device);
    const QByteArray bytes = everyByteValue() + "\r\n\n\r";

    ASSERT_EQ(bytes.size(), ::write(m_master, bytes.constData(), bytes.size()));
    EXPECT_EQ(bytes, readDevice(device, bytes.size()));

    DeviceError error;
    EXPECT_EQ(bytes.size(), device.write(bytes.constData(), bytes.size(), &error));
    EXPECT_FALSE(error);
    EXPECT_EQ(bytes, readFd(m_master, bytes.size()));
    // No echo came back to the device.
    char c;
    EXPECT_EQ(0, device.read(&c, 1, nullptr));
}

TEST_F(PtyTest, HeldLineIsInUseUntilReleased) {
    LinuxSerialDevice first(m_path);
    ASSERT_FALSE(first.open());

    LinuxSerialDevice second(m_path);
    const DeviceError held = second.open();
    EXPECT_EQ(DeviceError::InUse, held.kind);
    EXPECT_TRUE(held.detail.contains(QLatin1String("in use by another program")))
        << held.detail.toStdString();
    EXPECT_FALSE(second.isOpen());

    first.close();
    EXPECT_FALSE(second.open());
    EXPECT_TRUE(second.isOpen());

    // The destructor releases the line too.
    {
        LinuxSerialDevice scoped(m_path);
        second.close();
        ASSERT_FALSE(scoped.open());
    }
    EXPECT_FALSE(second.open());
}

TEST(LinuxSerialDeviceOpen, FailuresSayWhy) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("plain"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const struct {
        QString path;
        DeviceError::Kind kind;
        const char* detailHas;
    } cases[] = {
        {dir.filePath(QStringLiteral("ttyNone0")), DeviceError::NotFound, "ttyNone0"},
        {file, DeviceError::Io, "not a serial device"},
        {QStringLiteral("/dev/null"), DeviceError::Io, "not a serial device"},
        {dir.path(), DeviceError::Io, "Cannot open"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        LinuxSerialDevice device(c.path);
        const DeviceError e = device.open();
        EXPECT_EQ(c.kind, e.kind);
        EXPECT_TRUE(e.detail.contains(QLatin1String(c.detailHas))) << e.detail.toStdString();
        EXPECT_FALSE(device.isOpen());
        // Everything else on a line that did not open fails without touching anything.
        char buf[4];
        EXPECT_EQ(-1, device.read(buf, 4, nullptr));
        EXPECT_EQ(-1, device.write(buf, 4, nullptr));
        EXPECT_TRUE(device.configure(LineSettings()));
        device.close();
    }
}

TEST_F(PtyTest, ForbiddenLineIsNoPermissionNamingTheDevicesGroup) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may open anything";
    ASSERT_EQ(0, fchmod(m_slave, 0));
    LinuxSerialDevice device(m_path);
    const DeviceError e = device.open();
    EXPECT_EQ(DeviceError::NoPermission, e.kind);
    EXPECT_TRUE(e.detail.contains(QLatin1String("belongs to the group"))) << e.detail.toStdString();
    // Mode 0: joining the group would not help, so no command to join it is given.
    EXPECT_FALSE(e.detail.contains(QLatin1String("usermod"))) << e.detail.toStdString();
}

TEST_F(PtyTest, VanishedOtherEndFailsQuietlyAndQuickly) {
    // Closing the master is what pulling a USB adapter looks like to the program.
    LinuxSerialDevice device(m_path);
    openAndConfigure(device);
    closeMaster();

    QElapsedTimer timer;
    timer.start();
    char buf[64];
    for (int i = 0; i < 1000; ++i) {
        DeviceError error;
        const qint64 n = device.read(buf, sizeof buf, &error);
        ASSERT_LE(n, 0);
        EXPECT_EQ(n < 0, static_cast<bool>(error));
    }
    DeviceError error;
    EXPECT_EQ(-1, device.write("x", 1, &error));
    EXPECT_EQ(DeviceError::Io, error.kind);
    EXPECT_EQ(EIO, error.sysErrno);
    device.close();
    EXPECT_FALSE(device.isOpen());
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST_F(PtyTest, WritingWithNoReaderNeverBlocks) {
    LinuxSerialDevice device(m_path);
    openAndConfigure(device);
    const QByteArray chunk(4096, 'x');
    QElapsedTimer timer;
    timer.start();
    qint64 total = 0;
    qint64 n = 0;
    do {
        n = device.write(chunk.constData(), chunk.size(), nullptr);
        ASSERT_GE(n, 0);
        total += n;
    } while (n > 0 && timer.elapsed() < kWaitMs);
    EXPECT_EQ(0, n) << "the driver's queue never filled";
    EXPECT_GT(total, 0);
    device.close(); // with unsent data queued
    EXPECT_LT(timer.elapsed(), kWaitMs);
}

TEST_F(PtyTest, CloseRestoresTheOriginalSettings) {
    // Another program left split non-standard rates, which glibc's termios cannot express:
    // configuring must replace both, and closing must bring both back.
    constexpr tcflag_t kBother = CBAUDEX; // the kernel's BOTHER
    constexpr int kInputSpeedShift = 16;  // the kernel's IBSHIFT
    termios2 t2{};
    ASSERT_EQ(0, ioctl(m_slave, TCGETS2, &t2));
    t2.c_cflag = (t2.c_cflag & ~(CBAUD | CIBAUD)) | kBother | (kBother << kInputSpeedShift);
    t2.c_ospeed = 31250;
    t2.c_ispeed = 1200;
    ASSERT_EQ(0, ioctl(m_slave, TCSETS2, &t2));
    const termios before = attributes(m_slave);
    ASSERT_NE(0u, before.c_lflag & ECHO);

    for (std::uint32_t rate : {115200u, 250000u}) { // through cfsetspeed and termios2
        SCOPED_TRACE(rate);
        LinuxSerialDevice device(m_path);
        LineSettings s;
        s.baud = rate;
        s.xon = true;
        openAndConfigure(device, s);
        EXPECT_EQ(0u, attributes(m_slave).c_lflag & (ECHO | ICANON));
        EXPECT_EQ(rate, kernelOutSpeed(m_slave));
        EXPECT_EQ(rate, kernelInSpeed(m_slave));

        device.close();
        device.close(); // twice is harmless
        const termios after = attributes(m_slave);
        EXPECT_EQ(before.c_iflag, after.c_iflag);
        EXPECT_EQ(before.c_oflag, after.c_oflag);
        EXPECT_EQ(before.c_cflag, after.c_cflag);
        EXPECT_EQ(before.c_lflag, after.c_lflag);
        EXPECT_EQ(ECHO | ICANON, after.c_lflag & (ECHO | ICANON));
        EXPECT_EQ(31250u, kernelOutSpeed(m_slave));
        EXPECT_EQ(1200u, kernelInSpeed(m_slave));
    }
}

} // namespace
