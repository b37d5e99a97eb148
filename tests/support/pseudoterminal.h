#pragma once

// PseudoTerminal: a real kernel pseudo-terminal pair for serial tests. The program opens the
// slave by its path as it would open a serial device; the test talks through the master.
// Closing the master is what a pulled USB adapter looks like to the program.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <termios.h>

// The kernel's termios2, named as TCGETS2/TCSETS2 expect, for tests that look at any rate.
// <asm/termbits.h> cannot sit beside <termios.h>, so its layout is declared here.
struct termios2 {
    tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed, c_ospeed;
};

class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isValid() const { return m_master >= 0; }
    const QString& slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }
    // The test's own descriptor of the slave, to act on the line from outside.
    int slaveFd() const { return m_slave; }
    // The line's settings as the program left them, seen from the test's own slave descriptor.
    termios slaveAttributes() const;
    std::uint32_t slaveSpeed() const { return kernelOutSpeed(m_slave); }

    // A line's rates as the kernel keeps them (TCGETS2): any rate, not only the Bnnn ones.
    static std::uint32_t kernelOutSpeed(int fd);
    static std::uint32_t kernelInSpeed(int fd);

    void write(const QByteArray& bytes);
    // Writes what the pair takes now without waiting; returns how many bytes that was.
    qsizetype writeSome(QByteArrayView bytes);
    // Reads from the master until `count` bytes came or `timeoutMs` passed.
    QByteArray read(qsizetype count, int timeoutMs = 2000);
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the pair lives while the program reopens the slave
    QString m_slavePath;
};
