#pragma once

// LinuxSerialDevice: a tty device driven through termios.
// open(): O_RDWR|O_NOCTTY|O_NONBLOCK|O_CLOEXEC, then flock(LOCK_EX|LOCK_NB) and TIOCEXCL, so
// a line held by another program fails as InUse; the original termios is saved. configure():
// raw mode with the line settings, any baud rate (termios2/BOTHER for non-standard ones), read
// back and checked; DTR/RTS raised on request; modem-line calls that the device does not
// support (a pseudo-terminal) are ignored. close(): original termios restored, lock released.
// A live UUCP lock file of another program also makes open() fail as InUse (Brevane reads
// them, it never writes one), and every wait for output to leave the line is bounded.

#include "port/portsystempaths.h"
#include "port/serialdevice.h"

#include <cstdint>
#include <termios.h>

class LinuxSerialDevice : public SerialDevice {
public:
    // `paths`: where lock files, /proc and the group table are read (the process's defaults
    // unless given).
    explicit LinuxSerialDevice(QString path);
    LinuxSerialDevice(QString path, PortSystemPaths paths);
    ~LinuxSerialDevice() override;

    DeviceError open() override;
    DeviceError configure(const LineSettings& settings) override;
    qint64 read(char* buffer, qint64 max, DeviceError* error) override;
    qint64 write(const char* data, qint64 size, DeviceError* error) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    int readDescriptor() const override { return m_fd; }

    const QString& path() const { return m_path; }
    int fd() const { return m_fd; }

private:
    QString m_path;
    PortSystemPaths m_paths;
    int m_fd = -1;
    termios m_original{};
    bool m_haveOriginal = false;
    LineSettings m_settings;

    // Rates of the original settings as the kernel keeps them (glibc's termios cannot hold a
    // rate without a Bnnn constant), so close() puts back exactly what open() found.
    std::uint32_t m_originalInSpeed = 0;
    std::uint32_t m_originalOutSpeed = 0;
    // A pseudo-terminal forces 8 data bits and no parity; that is not a setup failure.
    bool m_pseudoTerminal = false;
    // rts=tg: either the driver's RS-485 mode (original flags kept for close()), or RTS
    // raised around each write by hand.
    bool m_rs485Enabled = false;
    std::uint32_t m_originalRs485Flags = 0;
    bool m_toggleRtsByHand = false;

    bool dsrIsOn() const;
    void drainOutput() const;
    bool waitBeforeToggledWrite() const;
    void waitAfterToggledWrite(qint64 written) const;
    void restoreRs485();
};
