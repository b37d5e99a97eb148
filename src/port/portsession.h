#pragma once

// PortSession: the one open serial line of the main window. Opens the device for a port text,
// applies a mode string to it, and closes it again; every failure comes back as a DeviceError
// for the window to word. At most one device is open at a time.

#include "port/deviceerror.h"
#include "port/modestring.h"
#include "port/serialdevice.h"

#include <functional>
#include <memory>

class PortSession {
public:
    using DeviceFactory = std::function<std::unique_ptr<SerialDevice>(const QString& path)>;

    // `factory` turns a device path into a device; the default gives real devices.
    explicit PortSession(DeviceFactory factory = {});
    ~PortSession();

    // Opens the device of `portText` (see devicePathFor); closes any device held before.
    DeviceError open(const QString& portText);
    // Builds the mode string from `inputs`, parses it and applies it to the open device.
    DeviceError setup(const ModeInputs& inputs);
    // Closes the device if one is held; afterwards none is.
    void close();

    // The open device, or null.
    SerialDevice* device() const { return m_device.get(); }
    // The mode string of the last setup().
    const QString& lastModeString() const { return m_lastMode; }

private:
    DeviceFactory m_factory;
    std::unique_ptr<SerialDevice> m_device;
    QString m_lastMode;
};
