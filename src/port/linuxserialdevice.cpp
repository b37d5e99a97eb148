#include "port/linuxserialdevice.h"

#include "port/outputdrain.h"
#include "port/permissionadvice.h"
#include "port/portholders.h"
#include "port/termiosbuilder.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// Rates without a Bnnn constant need the kernel's termios2, declared in <asm/termbits.h>,
// whose own struct termios clashes with glibc's. The kernel's is renamed out of the way here,
// and nothing else in the program includes that header.
#define termios kernel_termios
#include <asm/termbits.h>
#undef termios

namespace {

// The kernel's "no such ioctl" code; normally turned into ENOTTY before it reaches us.
constexpr int kEnoioctlcmd = 515;

// A device without modem lines (a pseudo-terminal) refuses modem-line calls this way; the
// call then has nothing to do, which is not a failure.
bool noModemLines(int err) {
    return err == ENOTTY || err == EINVAL || err == kEnoioctlcmd;
}

// Names the processes holding the line at the end of the error's details.
void appendHolders(DeviceError& e, const QList<PortHolder>& holders) {
    QStringList names;
    for (const PortHolder& holder : holders)
        names.append(holder.describe());
    if (!names.isEmpty())
        e.detail += QStringLiteral(", ") + names.join(QStringLiteral(", "));
}

DeviceError::Kind openErrorKind(int err) {
    switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
        return DeviceError::NotFound;
    case EACCES:
    case EPERM:
        return DeviceError::NoPermission;
    case EBUSY: // another program set TIOCEXCL
        return DeviceError::InUse;
    default:
        return DeviceError::Io;
    }
}

DeviceError badSettings(const QString& detail) {
    DeviceError e;
    e.kind = DeviceError::BadSettings;
    e.sysErrno = EINVAL;
    e.detail = detail;
    return e;
}

// Unix98 pseudo-terminal slaves use majors 136..143, the old BSD ones major 3.
bool isPseudoTerminal(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned m = major(st.st_rdev);
    return (m >= 136 && m <= 143) || m == 3;
}

// A driver takes a rate to its nearest clock divisor and may report that; within 2% the line
// still works with the other end. Anything further off is a rate the driver refused.
bool closeEnough(std::uint32_t asked, std::uint32_t got) {
    const std::uint64_t diff = asked > got ? asked - got : got - asked;
    return diff * 50 <= asked;
}

void copyFlags(const termios& from, termios2& to) {
    to.c_iflag = from.c_iflag;
    to.c_oflag = from.c_oflag;
    to.c_cflag = from.c_cflag;
    to.c_lflag = from.c_lflag;
    to.c_line = from.c_line;
    std::copy_n(from.c_cc, std::min(sizeof from.c_cc, sizeof to.c_cc), to.c_cc);
}

int setModemLines(int fd, unsigned long request, int lines) {
    return ioctl(fd, request, &lines) == 0 ? 0 : errno;
}

OutputProbe outputProbe(int fd) {
    OutputProbe probe;
    probe.queued = [fd] {
        int queued = 0;
        return ioctl(fd, TIOCOUTQ, &queued) == 0 ? std::max(queued, 0) : -1;
    };
    // Only UART drivers say when their shift register is empty.
    probe.transmitterEmpty = [fd]() -> std::optional<bool> {
        int lsr = 0;
        if (ioctl(fd, TIOCSERGETLSR, &lsr) != 0)
            return std::nullopt;
        return (lsr & TIOCSER_TEMT) != 0;
    };
    return probe;
}

// The time of one character as the line is set now (the driver may differ from what was
// asked, and close() may come before any configure()).
qint64 characterTime(int fd, const LineSettings& fallback) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) {
        const int parity = fallback.parity == LineSettings::Parity::None ? 0 : 1;
        const int stop = fallback.stopBits == LineSettings::StopBits::One ? 1 : 2;
        return characterMicroseconds(fallback.baud, 1 + fallback.dataBits + parity + stop);
    }
    int data = 8;
    switch (t.c_cflag & CSIZE) {
    case CS5:
        data = 5;
        break;
    case CS6:
        data = 6;
        break;
    case CS7:
        data = 7;
        break;
    default:
        break;
    }
    // 1.5 stop bits count as 2: this sizes an upper bound.
    const int bits = 1 + data + ((t.c_cflag & PARENB) ? 1 : 0) + ((t.c_cflag & CSTOPB) ? 2 : 1);
    return characterMicroseconds(t.c_ospeed, bits);
}

DeviceError inUseByLockFile(const QString& path, const PortHolder& holder) {
    DeviceError e;
    e.kind = DeviceError::InUse;
    e.sysErrno = EBUSY;
    e.detail = QStringLiteral("%1 is in use by another program: %2 holds the lock file %3")
                   .arg(path, holder.describe(), holder.lockFile);
    return e;
}

} // namespace

LinuxSerialDevice::LinuxSerialDevice(QString path)
    : LinuxSerialDevice(std::move(path), PortSystemPaths::defaults()) {}

LinuxSerialDevice::LinuxSerialDevice(QString path, PortSystemPaths paths)
    : m_path(std::move(path)), m_paths(std::move(paths)) {}

LinuxSerialDevice::~LinuxSerialDevice() {
    close();
}

DeviceError LinuxSerialDevice::open() {
    if (m_fd >= 0)
        return {};
    // Programs that lock by lock file alone would otherwise share the line with us, each
    // getting part of what arrives. Checked before opening: the device is not touched then.
    if (const std::optional<PortHolder> holder = uucpLockHolder(m_path, m_paths))
        return inUseByLockFile(m_path, *holder);

    const QByteArray name = QFile::encodeName(m_path);
    int fd;
    do {
        fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int err = errno;
        DeviceError e = DeviceError::fromErrno(openErrorKind(err), err,
                                               QStringLiteral("Cannot open ") + m_path);
        // The device's own group and the user's place in it, instead of a general hint.
        if (e.kind == DeviceError::NoPermission) {
            const QString advice = permissionAdviceForThisUser(m_path, m_paths);
            if (!advice.isEmpty())
                e.detail = QStringLiteral("Cannot open ") + m_path + QStringLiteral(": ") +
                           qt_error_string(err) + QStringLiteral(". ") + advice;
        }
        // Held in exclusive mode: a holder that also took a flock can still be named.
        if (err == EBUSY)
            appendHolders(e, flockHolders(m_path, m_paths));
        return e;
    }

    auto fail = [fd](DeviceError e) {
        ::close(fd); // also drops a lock taken below
        return e;
    };
    if (!isatty(fd)) {
        DeviceError e;
        e.kind = DeviceError::Io;
        e.sysErrno = ENOTTY;
        e.detail = m_path + QStringLiteral(": not a serial device");
        return fail(e);
    }
    // flock holds against every program that locks, root included; TIOCEXCL also stops
    // programs that open without locking (but not root).
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        DeviceError e = DeviceError::fromErrno(DeviceError::InUse, err,
                                               QStringLiteral("Cannot lock ") + m_path);
        if (err == EWOULDBLOCK)
            appendHolders(e, flockHolders(fd, m_paths));
        return fail(e);
    }
    if (ioctl(fd, TIOCEXCL) != 0 && errno == EBUSY)
        return fail(DeviceError::fromErrno(DeviceError::InUse, EBUSY,
                                           QStringLiteral("Cannot lock ") + m_path));

    termios original{};
    termios2 speeds{};
    if (tcgetattr(fd, &original) != 0 || ioctl(fd, TCGETS2, &speeds) != 0)
        return fail(DeviceError::fromErrno(
            DeviceError::Io, errno, QStringLiteral("Cannot read the settings of ") + m_path));
    m_fd = fd;
    m_original = original;
    m_originalInSpeed = speeds.c_ispeed;
    m_originalOutSpeed = speeds.c_ospeed;
    m_haveOriginal = true;
    m_pseudoTerminal = isPseudoTerminal(fd);
    m_settings = LineSettings();
    return {};
}

DeviceError LinuxSerialDevice::configure(const LineSettings& s) {
    if (m_fd < 0)
        return DeviceError::fromErrno(DeviceError::Io, EBADF,
                                      QStringLiteral("Cannot set up ") + m_path);
    // B0 would mean "hang up", not a rate.
    if (s.baud == 0)
        return badSettings(QStringLiteral("A baud rate of 0 is not possible"));
    if (s.dataBits < 5 || s.dataBits > 8)
        return badSettings(QStringLiteral("%1 data bits are not possible").arg(s.dataBits));
    const bool fiveBits = s.dataBits == 5;
    if ((fiveBits && s.stopBits == LineSettings::StopBits::Two) ||
        (!fiveBits && s.stopBits == LineSettings::StopBits::OnePointFive))
        return badSettings(
            QStringLiteral("These stop bits are not possible with %1 data bits").arg(s.dataBits));

    const QString where = QStringLiteral("Cannot set up ") + m_path;
    termios t{};
    if (tcgetattr(m_fd, &t) != 0)
        return DeviceError::fromErrno(DeviceError::Io, errno, where);
    applyLineSettings(t, s);

    if (isStandardBaud(s.baud)) {
        t.c_cflag &= ~CIBAUD; // input rate follows the output rate
        cfsetspeed(&t, standardBaudConstant(s.baud));
        // Debian's tcsetattr reports EINVAL when the driver changed nothing it was asked to
        // (a pseudo-terminal told only to drop parity); the read-back below decides.
        if (tcsetattr(m_fd, TCSANOW, &t) != 0 && errno != EINVAL)
            return DeviceError::fromErrno(DeviceError::Io, errno, where);
    } else {
        termios2 t2{};
        if (ioctl(m_fd, TCGETS2, &t2) != 0)
            return DeviceError::fromErrno(DeviceError::Io, errno, where);
        copyFlags(t, t2);
        t2.c_cflag &= ~(CBAUD | CIBAUD);
        t2.c_cflag |= BOTHER;
        t2.c_ispeed = s.baud;
        t2.c_ospeed = s.baud;
        if (ioctl(m_fd, TCSETS2, &t2) != 0) {
            const int err = errno;
            return DeviceError::fromErrno(
                err == EINVAL ? DeviceError::BadSettings : DeviceError::Io, err, where);
        }
    }

    // Drivers drop what their hardware cannot do without an error; only reading back tells.
    termios back{};
    termios2 back2{};
    if (tcgetattr(m_fd, &back) != 0 || ioctl(m_fd, TCGETS2, &back2) != 0)
        return DeviceError::fromErrno(DeviceError::Io, errno, where);
    if (!closeEnough(s.baud, back2.c_ospeed))
        return badSettings(QStringLiteral("The driver of %1 did not take %2 baud (it set %3)")
                               .arg(m_path)
                               .arg(s.baud)
                               .arg(back2.c_ospeed));
    tcflag_t checked = CSTOPB;
    if (!m_pseudoTerminal) // it always forces CS8 without parity
        checked |= CSIZE | PARENB | PARODD | CMSPAR;
    if ((back.c_cflag & checked) != (t.c_cflag & checked))
        return badSettings(
            QStringLiteral("The driver of %1 did not take the data bits, parity or stop bits")
                .arg(m_path));

    m_settings = s;
    restoreRs485();
    m_toggleRtsByHand = false;

    // Lines whose group is off stay as the driver set them on open.
    int lines = 0;
    if (s.dtr != LineSettings::Dtr::Off) // Linux has no DTR input handshake: hs just raises it
        lines |= TIOCM_DTR;
    if (s.rts == LineSettings::Rts::On)
        lines |= TIOCM_RTS;
    if (lines != 0) {
        const int err = setModemLines(m_fd, TIOCMBIS, lines);
        if (err != 0 && !noModemLines(err))
            return DeviceError::fromErrno(DeviceError::Io, err,
                                          QStringLiteral("Cannot raise DTR/RTS on ") + m_path);
    }

    if (s.rts == LineSettings::Rts::Toggle) {
        serial_rs485 rs{};
        if (ioctl(m_fd, TIOCGRS485, &rs) == 0) {
            const std::uint32_t original = rs.flags;
            rs.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
            rs.flags &= ~SER_RS485_RTS_AFTER_SEND;
            if (ioctl(m_fd, TIOCSRS485, &rs) == 0 && (rs.flags & SER_RS485_ENABLED)) {
                m_rs485Enabled = true;
                m_originalRs485Flags = original;
            }
        }
        if (!m_rs485Enabled) {
            // No RS-485 mode in the driver: RTS goes up for each write and down after it has
            // gone out. A device without modem lines has no RTS to move.
            const int err = setModemLines(m_fd, TIOCMBIC, TIOCM_RTS);
            if (err == 0)
                m_toggleRtsByHand = true;
            else if (!noModemLines(err))
                return DeviceError::fromErrno(DeviceError::Io, err,
                                              QStringLiteral("Cannot drop RTS on ") + m_path);
        }
    }
    return {};
}

qint64 LinuxSerialDevice::read(char* buffer, qint64 max, DeviceError* error) {
    if (m_fd < 0) {
        if (error)
            *error = DeviceError::fromErrno(DeviceError::Io, EBADF,
                                            QStringLiteral("Cannot read from ") + m_path);
        return -1;
    }
    if (max <= 0)
        return 0;
    ssize_t n;
    do {
        n = ::read(m_fd, buffer, static_cast<size_t>(max));
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        const int err = errno;
        if (err == EAGAIN || err == EWOULDBLOCK)
            return 0;
        // EIO, ENXIO or ENODEV: the device is gone (a USB adapter pulled, the other end of a
        // pseudo-terminal closed).
        if (error)
            *error = DeviceError::fromErrno(err == EIO || err == ENXIO || err == ENODEV
                                                ? DeviceError::NotFound
                                                : DeviceError::Io,
                                            err, QStringLiteral("Cannot read from ") + m_path);
        return -1;
    }
    if (n == 0) {
        // With VMIN 0 an empty line also reads 0; only a hang-up says the device is gone.
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            if (error)
                *error = DeviceError::fromErrno(DeviceError::NotFound, ENODEV,
                                                QStringLiteral("Cannot read from ") + m_path);
            return -1;
        }
        return 0;
    }
    if (n > 0 && m_settings.dsrSensitivity && !dsrIsOn())
        return 0; // idsr: what arrives while DSR is off is dropped
    return n;
}

qint64 LinuxSerialDevice::write(const char* data, qint64 size, DeviceError* error) {
    if (m_fd < 0) {
        if (error)
            *error = DeviceError::fromErrno(DeviceError::Io, EBADF,
                                            QStringLiteral("Cannot write to ") + m_path);
        return -1;
    }
    if (size <= 0)
        return 0;
    // odsr: while DSR is off nothing goes out, as if the write had timed out.
    if (m_settings.outDsr && !dsrIsOn())
        return 0;
    if (m_toggleRtsByHand) {
        setModemLines(m_fd, TIOCMBIS, TIOCM_RTS);
        if (!waitBeforeToggledWrite()) {
            setModemLines(m_fd, TIOCMBIC, TIOCM_RTS);
            return 0; // the line still holds earlier bytes: as a write time-out would
        }
    }
    ssize_t n;
    do {
        n = ::write(m_fd, data, static_cast<size_t>(size));
    } while (n < 0 && errno == EINTR);
    const int err = errno;
    if (m_toggleRtsByHand) {
        if (n > 0)
            waitAfterToggledWrite(n);
        setModemLines(m_fd, TIOCMBIC, TIOCM_RTS);
    }
    if (n < 0) {
        if (err == EAGAIN || err == EWOULDBLOCK)
            return 0;
        if (error)
            *error = DeviceError::fromErrno(DeviceError::Io, err,
                                            QStringLiteral("Cannot write to ") + m_path);
        return -1;
    }
    return n;
}

void LinuxSerialDevice::close() {
    if (m_fd < 0)
        return;
    drainOutput();
    // Drop what still has not gone out: a line held off by flow control would otherwise keep
    // the final close() waiting for the driver's closing time (30 s on most serial drivers).
    tcflush(m_fd, TCIOFLUSH);
    restoreRs485();
    if (m_haveOriginal) {
        // TCSANOW: a vanished device must not make this wait. The kernel's termios2 carries
        // rates that glibc's termios cannot.
        termios2 t2{};
        if (ioctl(m_fd, TCGETS2, &t2) == 0) {
            copyFlags(m_original, t2);
            t2.c_ispeed = m_originalInSpeed;
            t2.c_ospeed = m_originalOutSpeed;
            ioctl(m_fd, TCSETS2, &t2);
        }
    }
    ioctl(m_fd, TIOCNXCL);
    flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
    m_haveOriginal = false;
    m_toggleRtsByHand = false;
}

// Gives the bytes already accepted time to leave the wire before the port closes, so a
// DISCONNECT right after a send loses nothing. Bounded by what they need, and never more than
// 2 s: a long queue held by flow control is dropped rather than freezing the window.
void LinuxSerialDevice::drainOutput() const {
    int queued = 0;
    if (ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued <= 0)
        return;
    constexpr qint64 kCloseCapMs = 2000;
    waitUntilSent(outputProbe(m_fd), 0, characterTime(m_fd, m_settings), kCloseCapMs);
}

// rts=tg by hand: bytes of an earlier write whose wait ran out still sit in the queue. They
// go first, with RTS up; while the line keeps holding them (flow control), nothing is queued
// behind them, so the queue, and each wait, stays as short as one write.
bool LinuxSerialDevice::waitBeforeToggledWrite() const {
    return waitUntilSent(outputProbe(m_fd), 0, characterTime(m_fd, m_settings)) !=
           DrainResult::TimedOut;
}

// rts=tg by hand: RTS may drop only once the written bytes have left the wire. tcdrain would
// wait for that without a time limit under flow control; this gives up after their time on
// the line plus the slack, leaving what is still queued to go ahead of the next write.
void LinuxSerialDevice::waitAfterToggledWrite(qint64 written) const {
    waitUntilSent(outputProbe(m_fd), written, characterTime(m_fd, m_settings));
}

// True when DSR is on, or when the device has no modem lines to ask (nothing to obey then).
bool LinuxSerialDevice::dsrIsOn() const {
    int lines = 0;
    if (ioctl(m_fd, TIOCMGET, &lines) != 0)
        return true;
    return (lines & TIOCM_DSR) != 0;
}

void LinuxSerialDevice::restoreRs485() {
    if (!m_rs485Enabled)
        return;
    m_rs485Enabled = false;
    serial_rs485 rs{};
    if (ioctl(m_fd, TIOCGRS485, &rs) == 0) {
        rs.flags = m_originalRs485Flags;
        ioctl(m_fd, TIOCSRS485, &rs);
    }
}
