#include "support/pseudoterminal.h"

#include <QDeadlineTimer>

#include <sys/ioctl.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {
termios2 kernelTermios(int fd) {
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        t = {};
    return t;
}
} // namespace

std::uint32_t PseudoTerminal::kernelOutSpeed(int fd) {
    return kernelTermios(fd).c_ospeed;
}
std::uint32_t PseudoTerminal::kernelInSpeed(int fd) {
    return kernelTermios(fd).c_ispeed;
}

termios PseudoTerminal::slaveAttributes() const {
    termios t{};
    ::tcgetattr(m_slave, &t);
    return t;
}

PseudoTerminal::PseudoTerminal() {
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    // The master side stays raw so the test sees exactly the bytes the program wrote.
    termios t{};
    ::tcgetattr(m_master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_master, TCSANOW, &t);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
}

PseudoTerminal::~PseudoTerminal() {
    closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

void PseudoTerminal::write(const QByteArray& bytes) {
    qsizetype done = 0;
    const QDeadlineTimer deadline(5000);
    while (done < bytes.size() && !deadline.hasExpired()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        else
            ::usleep(1000);
    }
}

qsizetype PseudoTerminal::writeSome(QByteArrayView bytes) {
    const ssize_t n = ::write(m_master, bytes.data(), size_t(bytes.size()));
    return n > 0 ? qsizetype(n) : 0;
}

QByteArray PseudoTerminal::read(qsizetype count, int timeoutMs) {
    QByteArray out;
    const QDeadlineTimer deadline(timeoutMs);
    while (out.size() < count && !deadline.hasExpired()) {
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, int(std::max<qint64>(1, deadline.remainingTime()))) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0)
            out.append(buffer, n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return out;
}

void PseudoTerminal::closeMaster() {
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
