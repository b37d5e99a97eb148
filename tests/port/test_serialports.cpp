#include "port/serialports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "support/files.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

void PrintTo(const SerialPortInfo& port, std::ostream* os) {
    *os << "{" << port.name.toStdString() << " | " << port.description.toStdString() << " | "
        << port.byIdName.toStdString() << "}";
}

namespace {

// A machine's sysfs and /dev in a temporary folder, linked as the kernel and udev link them:
// class/tty/<name> leads to .../tty/<name> below the device, whose "device" link leads back
// up to the device; "driver" and "subsystem" link into bus/.
class FakeMachine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString at(const QString& relative) const { return m_dir.filePath(relative); }
    QString classTty() const { return at("sys/class/tty"); }
    QString dev() const { return at("dev"); }
    QString byId() const { return at("dev/serial/by-id"); }

    void folder(const QString& relative) { ASSERT_TRUE(QDir().mkpath(at(relative))); }
    void file(const QString& relative, const QByteArray& bytes) {
        folder(QFileInfo(relative).path());
        writeBytes(at(relative), bytes);
    }
    // A relative link at `relative` to `target`, as sysfs and udev make them.
    void link(const QString& relative, const QString& target) {
        folder(QFileInfo(relative).path());
        const QString from = at(relative);
        const QString to = QDir(QFileInfo(from).path()).relativeFilePath(at(target));
        ASSERT_TRUE(QFile::link(to, from)) << from.toStdString();
    }
    void bind(const QString& device, const QString& bus, const QString& driver) {
        folder(device);
        folder("sys/bus/" + bus + "/drivers/" + driver);
        link(device + "/driver", "sys/bus/" + bus + "/drivers/" + driver);
        link(device + "/subsystem", "sys/bus/" + bus);
    }
    // The tty `name` of `device` (empty: a virtual one), with its node in /dev.
    void tty(const QString& name, const QString& device, const char* type = nullptr) {
        const QString own = (device.isEmpty() ? "sys/devices/virtual" : device) + "/tty/" + name;
        folder(own);
        link("sys/class/tty/" + name, own);
        if (!device.isEmpty()) {
            folder(device);
            link(own + "/device", device);
        }
        if (type)
            file(own + "/type", type);
        file("dev/" + name, QByteArray());
    }
    void usbDevice(const QString& device, const char* vendor, const char* product,
                   const QByteArray& manufacturer, const QByteArray& productName,
                   const QByteArray& serial) {
        file(device + "/idVendor", QByteArray(vendor) + "\n");
        file(device + "/idProduct", QByteArray(product) + "\n");
        for (const auto& [name, value] :
             {std::pair{"manufacturer", manufacturer}, std::pair{"product", productName},
              std::pair{"serial", serial}}) {
            if (!value.isNull())
                file(device + "/" + name, value + "\n");
        }
        bind(device, "usb", "usb");
    }
    void byIdLink(const QString& name, const QString& node) {
        link("dev/serial/by-id/" + name, "dev/" + node);
    }

    QTemporaryDir m_dir;
};

const QString kUsb = "sys/devices/pci0000:00/0000:00:14.0/usb1";

TEST_F(FakeMachine, DevicesAreDescribedByTheirUsbNamesOrTheirDriver) {
    // An FTDI adapter: usb-serial port below the interface below the USB device.
    usbDevice(kUsb + "/1-1", "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI");
    bind(kUsb + "/1-1/1-1:1.0", "usb", "ftdi_sio");
    bind(kUsb + "/1-1/1-1:1.0/ttyUSB0", "usb-serial", "ftdi_sio");
    tty("ttyUSB0", kUsb + "/1-1/1-1:1.0/ttyUSB0");
    // A board with an ACM interface whose product name repeats the maker's.
    usbDevice(kUsb + "/1-2", "2341", "0043", "Arduino", "Arduino Uno", "9573");
    bind(kUsb + "/1-2/1-2:1.0", "usb", "cdc_acm");
    tty("ttyACM0", kUsb + "/1-2/1-2:1.0");
    // A cheap adapter that names nothing: its driver stands in for the names.
    usbDevice(kUsb + "/1-3", "1A86", "7523", QByteArray(), QByteArray(), QByteArray());
    bind(kUsb + "/1-3/1-3:1.0", "usb", "ch341");
    bind(kUsb + "/1-3/1-3:1.0/ttyUSB1", "usb-serial", "ch341-uart");
    tty("ttyUSB1", kUsb + "/1-3/1-3:1.0/ttyUSB1");
    // Names with control characters and no room: shown cleaned and cut.
    usbDevice(kUsb + "/1-4", "10c4", "ea60", "Evil\x1b[2J\r\nCorp", QByteArray(90, 'x'),
              "S\xe2\x80\xae"
              "1\t2");
    bind(kUsb + "/1-4/1-4:1.0/ttyUSB2", "usb-serial", "cp210x");
    tty("ttyUSB2", kUsb + "/1-4/1-4:1.0/ttyUSB2");
    // A UART behind the serial core's own port and ctrl devices (Linux 6.5 and later).
    bind("sys/devices/pnp0/00:00", "pnp", "serial");
    bind("sys/devices/pnp0/00:00/00:00:0", "serial-base", "ctrl");
    bind("sys/devices/pnp0/00:00/00:00:0/00:00:0.0", "serial-base", "port");
    tty("ttyS0", "sys/devices/pnp0/00:00/00:00:0/00:00:0.0", "4\n");
    // The 8250 driver's placeholders: one without a UART, one with (the older layout).
    bind("sys/devices/platform/serial8250", "platform", "serial8250");
    tty("ttyS1", "sys/devices/platform/serial8250", "0\n");
    tty("ttyS2", "sys/devices/platform/serial8250", "4\n");
    // A UART of a board's own chip: only a driver.
    bind("sys/devices/platform/soc/fe201000.serial", "amba", "uart-pl011");
    tty("ttyAMA0", "sys/devices/platform/soc/fe201000.serial");
    // No hardware behind them.
    tty("tty0", QString());
    tty("ptmx", QString());

    const QList<SerialPortInfo> expected = {
        {dev() + "/ttyACM0", "Arduino Uno (2341:0043), serial 9573", ""},
        {dev() + "/ttyAMA0", "uart-pl011", ""},
        {dev() + "/ttyS0", "serial", ""},
        {dev() + "/ttyS2", "serial8250", ""},
        {dev() + "/ttyUSB0", "FTDI FT232R USB UART (0403:6001), serial A50285BI", ""},
        {dev() + "/ttyUSB1", "ch341-uart (1a86:7523)", ""},
        {dev() + "/ttyUSB2",
         "Evil [2J Corp " + QString(63, u'x') + QChar(0x2026) + " (10c4:ea60), serial S 1 2", ""},
    };
    EXPECT_EQ(scanSerialPorts(classTty(), dev(), byId()), expected);
}

TEST_F(FakeMachine, EachDeviceGetsTheFirstByIdNameLinkingToIt) {
    usbDevice(kUsb + "/1-1", "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI");
    bind(kUsb + "/1-1/1-1:1.0/ttyUSB0", "usb-serial", "ftdi_sio");
    tty("ttyUSB0", kUsb + "/1-1/1-1:1.0/ttyUSB0");
    usbDevice(kUsb + "/1-2", "2341", "0043", "Arduino", "Arduino Uno", "9573");
    bind(kUsb + "/1-2/1-2:1.0", "usb", "cdc_acm");
    tty("ttyACM0", kUsb + "/1-2/1-2:1.0");
    bind("sys/devices/platform/serial8250", "platform", "serial8250");
    tty("ttyS0", "sys/devices/platform/serial8250", "4\n");

    byIdLink("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
    byIdLink("usb-Arduino_Uno_9573-if00", "ttyACM0");
    byIdLink("usb-Arduino_Uno_9573-if00-alias", "ttyACM0");
    byIdLink("usb-gone-if00-port0", "ttyUSB7"); // a link udev has not removed yet

    const QList<SerialPortInfo> ports = scanSerialPorts(classTty(), dev(), byId());
    ASSERT_EQ(ports.size(), 3);
    EXPECT_EQ(ports[0].byIdName, "usb-Arduino_Uno_9573-if00");
    EXPECT_EQ(ports[1].byIdName, "");
    EXPECT_EQ(ports[2].byIdName, "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");

    // No by-id folder (no USB serial device since boot), or none asked for.
    QDir(byId()).removeRecursively();
    for (const QString& folder : {byId(), QString()}) {
        for (const SerialPortInfo& port : scanSerialPorts(classTty(), dev(), folder))
            EXPECT_TRUE(port.byIdName.isEmpty()) << port.name.toStdString();
    }
}

TEST(PortBoxList, DevicesThenLoopbackThenComNames) {
    const QList<SerialPortInfo> devices = {{"/dev/ttyS0", "serial8250", ""},
                                           {"/dev/ttyUSB0", "FTDI", "usb-FTDI"}};
    const QList<SerialPortInfo> list = portBoxList(devices);
    ASSERT_EQ(list.size(), 2 + 1 + 99);
    EXPECT_EQ(list.mid(0, 2), devices);
    EXPECT_EQ(list[2], (SerialPortInfo{"loop://", "", ""}));
    EXPECT_EQ(list[3], (SerialPortInfo{"COM1", "", ""}));
    EXPECT_EQ(list[101], (SerialPortInfo{"COM99", "", ""}));
    EXPECT_EQ(portBoxList({}).front().name, "loop://");
}

} // namespace
