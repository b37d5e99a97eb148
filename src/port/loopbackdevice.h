#pragma once

// LoopbackDevice: the built-in port "loop://". What is written comes back to be read, so the
// program can be tried without hardware. Any settings are accepted. Its read descriptor (an
// eventfd) is readable exactly while something waits to be read.

#include "port/serialdevice.h"

#include <QByteArray>

class LoopbackDevice : public SerialDevice {
public:
    DeviceError open() override;
    DeviceError configure(const LineSettings& settings) override;
    qint64 read(char* buffer, qint64 max, DeviceError* error) override;
    qint64 write(const char* data, qint64 size, DeviceError* error) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    int readDescriptor() const override { return m_open ? m_signal : -1; }
    ~LoopbackDevice() override;

private:
    void setSignal(bool pending);

    bool m_open = false;
    int m_signal = -1;
    QByteArray m_pending;
};
