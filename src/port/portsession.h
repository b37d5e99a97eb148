#pragma once

// PortSession: the one open serial line of the main window. Opens the device for a port text,
// applies a mode string to it, and closes it again; every failure comes back as a DeviceError
// for the window to word. At most one device is open at a time.
// It remembers what it opened by the device's identity (its /dev/serial/by-id name when it has
// one, else its path), so that after the device went away the same device can be opened again
// with the same settings, even when it comes back under another /dev name. A pseudo-terminal
// named by its own /dev/pts path has no identity: the kernel gives its number to the next
// terminal opened, which may be someone's shell.

#include "port/deviceerror.h"
#include "port/modestring.h"
#include "port/serialdevice.h"

#include <functional>
#include <memory>
#include <optional>

class PortSession {
public:
    using DeviceFactory = std::function<std::unique_ptr<SerialDevice>(const QString& path)>;

    // `factory` turns a device path into a device; the default gives real devices.
    explicit PortSession(DeviceFactory factory = {},
                         QString byIdFolder = QStringLiteral("/dev/serial/by-id"));
    ~PortSession();

    // Opens the device of `portText` (see devicePathFor); closes any device held before.
    DeviceError open(const QString& portText);
    // Builds the mode string from `inputs`, parses it and applies it to the open device.
    DeviceError setup(const ModeInputs& inputs);
    // Closes the device if one is held; afterwards none is.
    void close();
    // Lets go of the device that went away, keeping what reopen() needs.
    void release();
    // Opens the device of the same identity again and applies the settings of the last
    // successful setup() to it.
    DeviceError reopen();

    // The path reopen() opens: the by-id name of the device opened last, else its path; empty
    // when the device cannot be known again.
    const QString& identityPath() const { return m_identity; }
    bool canReopen() const { return !m_identity.isEmpty(); }

    // The open device, or null.
    SerialDevice* device() const { return m_device.get(); }
    // The mode string of the last setup().
    const QString& lastModeString() const { return m_lastMode; }

private:
    DeviceFactory m_factory;
    QString m_byIdFolder;
    std::unique_ptr<SerialDevice> m_device;
    QString m_lastMode;
    QString m_identity;
    std::optional<LineSettings> m_applied;
};
