#pragma once

// SerialPortInfo: one entry of the port box's list. Kept apart from the port layer so the
// environment can hand the window a list without knowing how it was found.

#include <QString>

struct SerialPortInfo {
    // What goes into the port box and is opened: a /dev path for a device, else a port text
    // such as "loop://" or "COM3".
    QString name;
    // What identifies the device behind it: USB names, IDs and serial number, or its driver.
    // Empty for names with nothing detected behind them.
    QString description;
    // The file in /dev/serial/by-id that links to the device; empty when there is none.
    QString byIdName;

    friend bool operator==(const SerialPortInfo&, const SerialPortInfo&) = default;
};
