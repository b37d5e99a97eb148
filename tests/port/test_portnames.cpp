#include "port/portnames.h"

#include "port/linuxserialdevice.h"
#include "port/serialdevice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(PortNames, DevicePathForPortText) {
    const struct {
        const char* text;
        const char* path;
    } cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"com12", "/dev/ttyS11"},
        {"CoM99", "/dev/ttyS98"},
        {"COM256", "/dev/ttyS255"},
        {"COM0", "/dev/COM0"},
        {"COM257", "/dev/COM257"},
        {"COM01", "/dev/COM01"}, // not a port name where COM names come from
        {"COM", "/dev/COM"},
        {"COM1x", "/dev/COM1x"},
        {"\\\\.\\COM3", "/dev/ttyS2"},
        {"\\\\.\\ttyUSB1", "/dev/ttyUSB1"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/serial/by-id/usb-x", "/dev/serial/by-id/usb-x"},
        {"ttyUSB0", "/dev/ttyUSB0"},
        {"ttyS0", "/dev/ttyS0"},
        {"loop://", "loop://"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(QString::fromLatin1(c.path), devicePathFor(QString::fromLatin1(c.text)));
    }
}

// A stand-in for /sys/class/tty: each entry a folder, "device" where hardware is behind it,
// "type" for ttyS ports as the 8250 driver writes it.
class FakeSysTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_tty = m_dir.filePath(QStringLiteral("class/tty"));
        ASSERT_TRUE(QDir().mkpath(m_tty));
    }

    void addEntry(const QString& name, bool withDevice, const char* type = nullptr) {
        const QString entry = m_tty + u'/' + name;
        ASSERT_TRUE(QDir().mkpath(entry));
        if (withDevice) {
            ASSERT_TRUE(QDir().mkpath(entry + QStringLiteral("/device")));
        }
        if (type) {
            QFile f(entry + QStringLiteral("/type"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(type);
        }
    }

    QTemporaryDir m_dir;
    QString m_tty;
};

TEST_F(FakeSysTree, PresentPortsAreTheOnesWithHardwareInNameOrder) {
    addEntry(QStringLiteral("ttyUSB10"), true);
    addEntry(QStringLiteral("ttyUSB9"), true);
    addEntry(QStringLiteral("ttyACM0"), true);
    addEntry(QStringLiteral("ttyS0"), true, "4\n");
    addEntry(QStringLiteral("ttyS1"), true, "0\n"); // no UART answered
    addEntry(QStringLiteral("ttyS10"), true, "4\n");
    addEntry(QStringLiteral("ttyS2"), true, "1\n");
    addEntry(QStringLiteral("ttyS3"), true); // no type to tell
    addEntry(QStringLiteral("tty0"), false); // virtual console
    addEntry(QStringLiteral("ptmx"), false);
    addEntry(QStringLiteral("console"), false);
    // A link to the device folder, as sysfs has it.
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("devices/rfcomm0/device"))));
    ASSERT_TRUE(QFile::link(m_dir.filePath(QStringLiteral("devices/rfcomm0")),
                            m_tty + QStringLiteral("/rfcomm0")));

    const QStringList expected = {
        QStringLiteral("/dev/rfcomm0"),  QStringLiteral("/dev/ttyACM0"),
        QStringLiteral("/dev/ttyS0"),    QStringLiteral("/dev/ttyS2"),
        QStringLiteral("/dev/ttyS10"),   QStringLiteral("/dev/ttyUSB9"),
        QStringLiteral("/dev/ttyUSB10"),
    };
    EXPECT_EQ(expected, presentSerialPorts(m_tty, QStringLiteral("/dev")));
    EXPECT_EQ(QStringLiteral("/tmp/x/ttyACM0"),
              presentSerialPorts(m_tty, QStringLiteral("/tmp/x")).at(1));
}

TEST_F(FakeSysTree, NoTreeMeansNoPorts) {
    EXPECT_TRUE(presentSerialPorts(m_dir.filePath(QStringLiteral("missing"))).isEmpty());
    EXPECT_TRUE(presentSerialPorts(m_tty).isEmpty());
}

TEST(LoopbackPort, WhatIsWrittenComesBackInOrder) {
    std::unique_ptr<SerialDevice> device = makeSerialDevice(devicePathFor(kLoopbackPort));
    ASSERT_TRUE(device);
    ASSERT_FALSE(device->open());
    LineSettings odd;
    odd.baud = 12345;
    odd.dataBits = 5;
    EXPECT_FALSE(device->configure(odd));

    DeviceError error;
    EXPECT_EQ(5, device->write("hello", 5, &error));
    EXPECT_EQ(3, device->write("\0\r\n", 3, &error));
    EXPECT_FALSE(error);
    char buf[16];
    ASSERT_EQ(4, device->read(buf, 4, &error));
    EXPECT_EQ(QByteArray("hell"), QByteArray(buf, 4));
    ASSERT_EQ(4, device->read(buf, sizeof buf, &error));
    EXPECT_EQ(QByteArray("o\0\r\n", 4), QByteArray(buf, 4));
    EXPECT_EQ(0, device->read(buf, sizeof buf, &error));
    EXPECT_FALSE(error);

    device->write("lost", 4, nullptr);
    device->close();
    device->close();
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(-1, device->read(buf, sizeof buf, &error));
    EXPECT_EQ(DeviceError::Io, error.kind);
    EXPECT_EQ(-1, device->write("x", 1, &error));
    EXPECT_TRUE(device->configure(LineSettings()));

    ASSERT_FALSE(device->open());
    EXPECT_EQ(0, device->read(buf, sizeof buf, nullptr)); // nothing left from before the close
}

TEST(SerialDeviceFactory, AnyOtherPathIsATermiosLine) {
    std::unique_ptr<SerialDevice> device = makeSerialDevice(QStringLiteral("/dev/ttyUSB7"));
    auto* line = dynamic_cast<LinuxSerialDevice*>(device.get());
    ASSERT_NE(nullptr, line);
    EXPECT_EQ(QStringLiteral("/dev/ttyUSB7"), line->path());
}

TEST(DeviceErrorText, ReasonForTheMessageBoxDetail) {
    const DeviceError denied = DeviceError::fromErrno(DeviceError::NoPermission, EACCES,
                                                      QStringLiteral("Cannot open /dev/ttyS0"));
    EXPECT_EQ(QStringLiteral("Cannot open /dev/ttyS0: Permission denied: add your user to the "
                             "dialout group"),
              denied.detail);
    EXPECT_EQ(EACCES, denied.sysErrno);

    const DeviceError held = DeviceError::fromErrno(DeviceError::InUse, EWOULDBLOCK,
                                                    QStringLiteral("Cannot lock /dev/ttyS0"));
    EXPECT_EQ(QStringLiteral("Cannot lock /dev/ttyS0: the port is in use by another program"),
              held.detail);

    const DeviceError gone =
        DeviceError::fromErrno(DeviceError::Io, EIO, QStringLiteral("Cannot read from /dev/ttyS0"));
    EXPECT_EQ(QStringLiteral("Cannot read from /dev/ttyS0: Input/output error"), gone.detail);
    EXPECT_TRUE(gone);
    EXPECT_FALSE(DeviceError());
}

} // namespace
