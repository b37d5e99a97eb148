#pragma once

// Port names: how the text of the port box becomes a device, and which serial devices the
// machine has.

#include <QString>
#include <QStringList>

#include <memory>

class SerialDevice;

inline constexpr char kLoopbackPort[] = "loop://";

// "\\.\" prefix removed first; "COMn" (n = 1..256, any letter case) is /dev/ttyS(n-1); text
// beginning with "/" is that path; "loop://" stays "loop://"; anything else is /dev/ + text.
QString devicePathFor(const QString& portText);

// The serial devices present now, as /dev paths in name order: entries of `sysClassTty`
// (normally /sys/class/tty) with a real device behind them; ttyS ports only with a UART
// detected (their "type" is not 0).
QStringList presentSerialPorts(const QString& sysClassTty = QStringLiteral("/sys/class/tty"),
                               const QString& devFolder = QStringLiteral("/dev"));

// "COM1" to "COM99", the names every port list ends with.
QStringList comPortNames();

// The device for a path from devicePathFor(): the loopback port or a termios line.
std::unique_ptr<SerialDevice> makeSerialDevice(const QString& devicePath);
