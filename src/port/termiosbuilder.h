#pragma once

// Small pure functions that turn line settings into termios flags, one per setting, so a table
// test covers them without a device. Each changes only the flags of its own setting.

#include "port/linesettings.h"

#include <termios.h>

void makeRaw(termios& t); // no echo, no line editing, no CR/LF translation
void setDataBits(termios& t, int bits);
void setParity(termios& t, LineSettings::Parity parity);
void setStopBits(termios& t, LineSettings::StopBits stop);
void setXonXoff(termios& t, bool on);
void setHardwareFlow(termios& t, bool on);                 // CRTSCTS
void applyLineSettings(termios& t, const LineSettings& s); // all of the above

// Whether `speed` has a Bnnn constant; other rates go through termios2 and BOTHER.
bool isStandardBaud(std::uint32_t speed);
speed_t standardBaudConstant(std::uint32_t speed); // B0 when not standard
