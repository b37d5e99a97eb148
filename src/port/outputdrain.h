#pragma once

// Bounded waits for output to leave a serial line. A line held by flow control (XOFF, CTS)
// or a vanished device can keep bytes queued forever, and a wait in the kernel (tcdrain) has
// no time limit there; these waits never last longer than the queued characters need at the
// line's rate plus 200 ms, so the window that called them stays live.

#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <optional>

// The slack allowed beyond the characters' own time on the line.
constexpr qint64 kDrainSlackMs = 200;

// Microseconds one character takes at `baud` with `bitsPerCharacter` (start, data, parity and
// stop bits), rounded up; 0 for a rate of 0.
qint64 characterMicroseconds(std::uint32_t baud, int bitsPerCharacter);

// The longest a wait for `characters` may last: their time on the line plus the slack.
qint64 drainBoundMs(qint64 characters, qint64 characterUs);

struct OutputProbe {
    // Characters in the driver's output queue; -1 when it cannot be asked (device gone).
    std::function<int()> queued;
    // Whether the transmitter has sent its last bit; nullopt when the driver does not say.
    std::function<std::optional<bool>()> transmitterEmpty;
};

enum class DrainResult { Sent, TimedOut, CannotTell };

// Waits until the line has sent what it holds, `justWritten` characters among them. When the
// driver cannot tell whether its transmitter is empty, the written characters count as sent
// once their time on the line (and one character more) has passed. Gives up at the bound for
// what was queued, or at `capMs` when that comes first (-1: no cap).
DrainResult waitUntilSent(const OutputProbe& probe, qint64 justWritten, qint64 characterUs,
                          qint64 capMs = -1);
