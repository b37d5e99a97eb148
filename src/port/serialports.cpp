#include "port/serialports.h"

#include "port/portnames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace {

// Text a USB device reports about itself reaches the screen, so it is read with a bound and
// cleaned: no control or formatting characters (a newline or a direction override would
// garble the list), no runs of spaces, and no more than a line's worth.
QString readSysfsText(const QString& path) {
    constexpr qint64 kMaxBytes = 256;
    constexpr qsizetype kMaxChars = 64;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString text = QString::fromUtf8(file.read(kMaxBytes));
    for (QChar& c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format)
            c = u' ';
    }
    text = text.simplified();
    if (text.size() > kMaxChars) {
        qsizetype cut = kMaxChars - 1;
        if (text.at(cut - 1).isHighSurrogate())
            --cut;
        text = text.left(cut) + QChar(0x2026);
    }
    return text;
}

QString subsystemOf(const QString& folder) {
    return QFileInfo(QFileInfo(folder + QStringLiteral("/subsystem")).symLinkTarget()).fileName();
}

QString driverOf(const QString& folder) {
    return QFileInfo(QFileInfo(folder + QStringLiteral("/driver")).symLinkTarget()).fileName();
}

QString parentOf(const QString& folder) {
    return QFileInfo(folder).path();
}

// The driver that serves the hardware. Since Linux 6.5 the serial core puts "port" and "ctrl"
// devices of its own bus between a UART and its tty; their driver names say nothing.
QString hardwareDriver(QString folder) {
    for (int level = 0; level < 3 && subsystemOf(folder) == QLatin1String("serial-base"); ++level)
        folder = parentOf(folder);
    return driverOf(folder);
}

// The USB device above a tty's device folder, or empty. A usb-serial port sits two levels
// below it (port, interface), an ACM interface one; nothing further up is the tty's own.
QString usbDeviceAbove(QString folder) {
    for (int level = 0; level < 3 && folder.size() > 1; ++level) {
        if (QFileInfo::exists(folder + QStringLiteral("/idVendor")))
            return folder;
        folder = parentOf(folder);
    }
    return QString();
}

// "0403" from idVendor, or empty when the file does not hold four hex digits.
QString usbId(const QString& file) {
    const QString id = readSysfsText(file).toLower();
    if (id.size() != 4)
        return QString();
    for (QChar c : id)
        if (!c.isDigit() && (c < u'a' || c > u'f'))
            return QString();
    return id;
}

// "FTDI FT232R USB UART (0403:6001), serial A50285BI".
QString usbDescription(const QString& usbDevice, const QString& driver) {
    const QString manufacturer = readSysfsText(usbDevice + QStringLiteral("/manufacturer"));
    const QString product = readSysfsText(usbDevice + QStringLiteral("/product"));
    QString text;
    if (product.isEmpty())
        text = manufacturer;
    else if (manufacturer.isEmpty() || product.startsWith(manufacturer, Qt::CaseInsensitive))
        text = product;
    else
        text = manufacturer + u' ' + product;
    if (text.isEmpty())
        text = driver.isEmpty() ? QStringLiteral("USB") : driver;
    const QString vendorId = usbId(usbDevice + QStringLiteral("/idVendor"));
    const QString productId = usbId(usbDevice + QStringLiteral("/idProduct"));
    if (!vendorId.isEmpty() && !productId.isEmpty())
        text += QStringLiteral(" (%1:%2)").arg(vendorId, productId);
    const QString serial = readSysfsText(usbDevice + QStringLiteral("/serial"));
    if (!serial.isEmpty())
        text += QStringLiteral(", serial ") + serial;
    return text;
}

QString describe(const QString& ttyEntry) {
    const QString device = QFileInfo(ttyEntry + QStringLiteral("/device")).canonicalFilePath();
    if (device.isEmpty())
        return QString();
    const QString driver = hardwareDriver(device);
    const QString usbDevice = usbDeviceAbove(device);
    return usbDevice.isEmpty() ? driver : usbDescription(usbDevice, driver);
}

// Where a path leads once every link is followed; the cleaned path itself when it leads
// nowhere (a node udev has not made yet), so a link and its target still meet.
QString resolved(const QFileInfo& info) {
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    return QDir::cleanPath(info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath());
}

// Device path -> the first by-id name (in name order) that links to it.
QHash<QString, QString> byIdNames(const QString& byIdFolder) {
    QHash<QString, QString> names;
    if (byIdFolder.isEmpty())
        return names;
    // In reverse name order, so the name kept for a device is the first in order.
    const QFileInfoList links =
        QDir(byIdFolder)
            .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                           QDir::Name | QDir::Reversed);
    for (const QFileInfo& link : links) {
        if (link.isSymLink())
            names.insert(resolved(link), link.fileName());
    }
    return names;
}

} // namespace

QString byIdNameFor(const QString& devicePath, const QString& byIdFolder) {
    return byIdNames(byIdFolder).value(resolved(QFileInfo(devicePath)));
}

QList<SerialPortInfo> scanSerialPorts(const QString& sysClassTty, const QString& devFolder,
                                      const QString& byIdFolder) {
    const QHash<QString, QString> byId = byIdNames(byIdFolder);
    QList<SerialPortInfo> ports;
    for (const QString& path : presentSerialPorts(sysClassTty, devFolder)) {
        SerialPortInfo info;
        info.name = path;
        info.description = describe(sysClassTty + u'/' + QFileInfo(path).fileName());
        info.byIdName = byId.value(resolved(QFileInfo(path)));
        ports.append(info);
    }
    return ports;
}

QList<SerialPortInfo> portBoxList(const QList<SerialPortInfo>& devices) {
    QList<SerialPortInfo> list = devices;
    list.append(SerialPortInfo{QLatin1String(kLoopbackPort), QString(), QString()});
    for (const QString& name : comPortNames())
        list.append(SerialPortInfo{name, QString(), QString()});
    return list;
}

QStringList serialPortWatchFolders() {
    return {QStringLiteral("/dev"), QStringLiteral("/dev/serial"),
            QStringLiteral("/dev/serial/by-id")};
}
