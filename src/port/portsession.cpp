#include "port/portsession.h"

#include "port/portnames.h"
#include "port/serialports.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The by-id name that stands for the same device as `path`, else `path` itself; empty for a
// pseudo-terminal's own numbered name, which is handed to the next terminal opened.
QString identityOf(const QString& path, const QString& byIdFolder) {
    if (QFileInfo(path).absolutePath() == QDir(byIdFolder).absolutePath())
        return path; // already a by-id name
    if (const QString name = byIdNameFor(path, byIdFolder); !name.isEmpty())
        return QDir(byIdFolder).absoluteFilePath(name);
    if (QDir::cleanPath(QFileInfo(path).absoluteFilePath()).startsWith(QLatin1String("/dev/pts/")))
        return QString();
    return path;
}

} // namespace

PortSession::PortSession(DeviceFactory factory, QString byIdFolder)
    : m_factory(std::move(factory)), m_byIdFolder(std::move(byIdFolder)) {
    if (!m_factory)
        m_factory = [](const QString& path) { return makeSerialDevice(path); };
}

PortSession::~PortSession() {
    close();
}

DeviceError PortSession::open(const QString& portText) {
    close();
    m_applied.reset();
    const QString path = devicePathFor(portText);
    std::unique_ptr<SerialDevice> device = m_factory(path);
    if (const DeviceError error = device->open())
        return error;
    m_device = std::move(device);
    m_identity = path == QLatin1String(kLoopbackPort) ? path : identityOf(path, m_byIdFolder);
    return {};
}

void PortSession::release() {
    if (m_device) {
        m_device->close();
        m_device.reset();
    }
}

DeviceError PortSession::reopen() {
    release();
    if (!m_applied || m_identity.isEmpty())
        return {DeviceError::Io, 0, QStringLiteral("There is no port to open again.")};
    std::unique_ptr<SerialDevice> device = m_factory(m_identity);
    if (const DeviceError error = device->open())
        return error;
    if (const DeviceError error = device->configure(*m_applied)) {
        device->close();
        return error;
    }
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
    if (const DeviceError error = m_device->configure(*parsed.settings))
        return error;
    m_applied = parsed.settings;
    return {};
}

void PortSession::close() {
    release();
    m_applied.reset();
    m_identity.clear();
}
