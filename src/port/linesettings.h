#pragma once

// LineSettings: everything a connect applies to a serial line, as parsed from a mode string.
// A plain value; the device layer maps it onto the driver.

#include <cstdint>

struct LineSettings {
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OnePointFive, Two };
    enum class Dtr { Off, On, Handshake };
    enum class Rts { Off, On, Handshake, Toggle };

    std::uint32_t baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8; // 5 to 8
    StopBits stopBits = StopBits::One;
    bool timeoutProcessing = false; // to=on: accepted, nothing to apply on this platform
    bool xon = false;               // XON/XOFF both ways
    bool outDsr = false;            // odsr=on: no output while DSR is off
    bool outCts = false;            // octs=on: output paced by CTS
    Dtr dtr = Dtr::Off;
    Rts rts = Rts::Off;
    bool dsrSensitivity = false; // idsr=on: input dropped while DSR is off

    bool operator==(const LineSettings&) const = default;
};
