#pragma once

// SerialDevice: the one small interface between the port session and a serial line.
// Implementations: LinuxSerialDevice (termios on a tty device) and LoopbackDevice ("loop://",
// what is written is read back). All calls return at once: a read gives what has arrived, a
// write gives what the driver accepted. Errors come back as values.
// A readable readDescriptor() is the signal to read.

#include "port/deviceerror.h"
#include "port/linesettings.h"

#include <QString>

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens the line for exclusive use. Fails with NotFound, InUse, NoPermission or Io.
    virtual DeviceError open() = 0;
    // Applies the settings to the open line and checks what the driver took.
    virtual DeviceError configure(const LineSettings& settings) = 0;
    // Reads up to `max` bytes that have arrived; 0 when none. -1 with `error` set on failure;
    // a device that has gone away (unplugged, its other end closed) fails as NotFound.
    virtual qint64 read(char* buffer, qint64 max, DeviceError* error) = 0;
    // Writes up to `size` bytes; returns how many the driver accepted (0 when it accepted
    // none). -1 with `error` set on failure.
    virtual qint64 write(const char* data, qint64 size, DeviceError* error) = 0;
    // Releases the line and restores what open() changed. Safe to call twice.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // A descriptor that polls readable whenever read() has something to give (or the device
    // has gone away), so the caller reads on readiness instead of polling; -1 when closed.
    virtual int readDescriptor() const = 0;
};
