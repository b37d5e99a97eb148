#pragma once

// The serial devices the machine has, with what identifies each, read from sysfs; and the
// order of the port box's list.

#include "base/serialportinfo.h"

#include <QList>
#include <QString>
#include <QStringList>

// The devices presentSerialPorts() finds, in its order, each with a description and its
// /dev/serial/by-id name. A USB device is described by its manufacturer and product names,
// its vendor:product IDs and its serial number; any other device by the name of its driver.
QList<SerialPortInfo>
scanSerialPorts(const QString& sysClassTty = QStringLiteral("/sys/class/tty"),
                const QString& devFolder = QStringLiteral("/dev"),
                const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));

// The first name (in name order) in `byIdFolder` that links to the device at `devicePath`;
// empty when none does.
QString byIdNameFor(const QString& devicePath,
                    const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));

// The port box's list: `devices`, then "loop://", then "COM1" to "COM99".
QList<SerialPortInfo> portBoxList(const QList<SerialPortInfo>& devices);

// The folders whose changes can change scanSerialPorts()'s answer on this machine: udev adds
// and removes device nodes in /dev and their links in /dev/serial/by-id.
QStringList serialPortWatchFolders();
