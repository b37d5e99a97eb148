#include "port/portsession.h"

#include "port/portnames.h"

PortSession::PortSession(DeviceFactory factory) : m_factory(std::move(factory)) {
    if (!m_factory)
        m_factory = [](const QString& path) { return makeSerialDevice(path); };
}

PortSession::~PortSession() {
    close();
}

DeviceError PortSession::open(const QString& portText) {
    close();
    std::unique_ptr<SerialDevice> device = m_factory(devicePathFor(portText));
    if (const DeviceError error = device->open())
        return error;
    m_device = std::move(device);
    return {};
}

DeviceError PortSession::setup(const ModeInputs& inputs) {
    m_lastMode = buildModeString(inputs);
    if (!m_device)
        return {DeviceError::Io, 0, QStringLiteral("The port is not open.")};
    const ModeParseResult parsed = parseModeString(m_lastMode);
    // A rejected text leaves nothing to apply; the caller closes the port again.
    if (!parsed.settings)
        return {DeviceError::BadSettings, 0, parsed.error};
    return m_device->configure(*parsed.settings);
}

void PortSession::close() {
    if (m_device) {
        m_device->close();
        m_device.reset();
    }
}
