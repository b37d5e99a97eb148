#include "port/portnames.h"

#include "port/linuxserialdevice.h"
#include "port/loopbackdevice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// "COMn" with n = 1..256 written without leading zeros (as the system that named them does:
// "COM01" is not a port name there), any letter case. Returns n, or 0.
int comPortNumber(QStringView text) {
    if (text.size() < 4 || text.size() > 6 || !text.startsWith(u"COM", Qt::CaseInsensitive))
        return 0;
    const QStringView digits = text.mid(3);
    if (digits.front() == u'0')
        return 0;
    int n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n <= 256 ? n : 0;
}

// Name order with digit runs compared as numbers, so ttyS2 comes before ttyS10 and ttyUSB9
// before ttyUSB10, as a user reads them.
bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ie = i, je = j;
            while (ie < a.size() && a[ie].isDigit())
                ++ie;
            while (je < b.size() && b[je].isDigit())
                ++je;
            // Compare the numbers without converting: skip leading zeros, then the longer run
            // is larger, then digit by digit.
            qsizetype is = i, js = j;
            while (is < ie - 1 && a[is] == u'0')
                ++is;
            while (js < je - 1 && b[js] == u'0')
                ++js;
            if (ie - is != je - js)
                return ie - is < je - js;
            const int c =
                QStringView(a).sliced(is, ie - is).compare(QStringView(b).sliced(js, je - js));
            if (c != 0)
                return c < 0;
            i = ie;
            j = je;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j))
        return a.size() - i < b.size() - j;
    return a < b; // equal as numbers ("ttyS01" and "ttyS1"): any fixed order
}

bool hasDetectedUart(const QString& entryPath) {
    // The 8250 driver registers ttyS0..ttySn whether or not a UART answers; "type" is 0
    // (PORT_UNKNOWN) when none was found. Unreadable counts as none found.
    QFile type(entryPath + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    const QByteArray value = type.readAll().trimmed();
    return !value.isEmpty() && value != "0";
}

} // namespace

QString devicePathFor(const QString& portText) {
    QString text = portText;
    const QString win32Prefix = QStringLiteral("\\\\.\\");
    if (text.startsWith(win32Prefix))
        text.remove(0, win32Prefix.size());
    if (const int n = comPortNumber(text))
        return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    if (text.startsWith(u'/') || text == QLatin1String(kLoopbackPort))
        return text;
    return QStringLiteral("/dev/") + text;
}

QStringList presentSerialPorts(const QString& sysClassTty, const QString& devFolder) {
    // Entries without a "device" link (virtual consoles, pseudo-terminals, the console) have
    // no hardware behind them.
    const QStringList names = QDir(sysClassTty).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QStringList present;
    for (const QString& name : names) {
        const QString entry = sysClassTty + u'/' + name;
        if (!QFileInfo::exists(entry + QStringLiteral("/device")))
            continue;
        if (name.startsWith(QLatin1String("ttyS")) && !hasDetectedUart(entry))
            continue;
        present.append(name);
    }
    std::sort(present.begin(), present.end(), naturalLess);
    for (QString& name : present)
        name = devFolder + u'/' + name;
    return present;
}

std::unique_ptr<SerialDevice> makeSerialDevice(const QString& devicePath) {
    if (devicePath == QLatin1String(kLoopbackPort))
        return std::make_unique<LoopbackDevice>();
    return std::make_unique<LinuxSerialDevice>(devicePath);
}

QStringList comPortNames() {
    QStringList names;
    for (int n = 1; n <= 99; ++n)
        names << QStringLiteral("COM%1").arg(n);
    return names;
}
