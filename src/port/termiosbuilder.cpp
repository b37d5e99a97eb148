#include "port/termiosbuilder.h"

#include <iterator>

void makeRaw(termios& t) {
    // As cfmakeraw(), minus the character size, parity and XON/XOFF flags: those belong to
    // their own setters.
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // CLOCAL: no modem-control hang-ups and no wait for carrier; CREAD: receive at all.
    t.c_cflag |= CLOCAL | CREAD;
    // A read returns at once with what has arrived.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

void setDataBits(termios& t, int bits) {
    t.c_cflag &= ~CSIZE;
    t.c_cflag |= bits == 5 ? CS5 : bits == 6 ? CS6 : bits == 7 ? CS7 : CS8;
}

void setParity(termios& t, LineSettings::Parity parity) {
    using P = LineSettings::Parity;
    t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (parity) {
    case P::None:
        break;
    case P::Even:
        t.c_cflag |= PARENB;
        break;
    case P::Odd:
        t.c_cflag |= PARENB | PARODD;
        break;
    case P::Mark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case P::Space:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    // Parity is generated on output but not checked on input: a byte with a parity error is
    // delivered as it arrived, neither dropped (IGNPAR) nor replaced by NUL (INPCK), so the
    // terminal shows what the line carried.
    t.c_iflag &= ~(INPCK | IGNPAR);
}

void setStopBits(termios& t, LineSettings::StopBits stop) {
    // termios has one bit: 1.5 stop bits (only valid with 5 data bits) is CSTOPB, which a UART
    // sends as 1.5 at that size.
    if (stop == LineSettings::StopBits::One)
        t.c_cflag &= ~CSTOPB;
    else
        t.c_cflag |= CSTOPB;
}

void setXonXoff(termios& t, bool on) {
    // IXANY off either way: only XON resumes output, as the other end expects.
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (on)
        t.c_iflag |= IXON | IXOFF;
}

void setHardwareFlow(termios& t, bool on) {
    if (on)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~CRTSCTS;
}

void applyLineSettings(termios& t, const LineSettings& s) {
    makeRaw(t);
    setDataBits(t, s.dataBits);
    setParity(t, s.parity);
    setStopBits(t, s.stopBits);
    setXonXoff(t, s.xon);
    // Linux has one switch for both directions: CTS paces output, RTS signals input room.
    setHardwareFlow(t, s.outCts || s.rts == LineSettings::Rts::Handshake);
}

namespace {

struct StandardBaud {
    std::uint32_t speed;
    speed_t constant;
};

constexpr StandardBaud kStandardBauds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

} // namespace

bool isStandardBaud(std::uint32_t speed) {
    return standardBaudConstant(speed) != B0;
}

speed_t standardBaudConstant(std::uint32_t speed) {
    for (const StandardBaud& b : kStandardBauds) {
        if (b.speed == speed)
            return b.constant;
    }
    return B0;
}
