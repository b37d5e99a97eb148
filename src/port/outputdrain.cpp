#include "port/outputdrain.h"

#include <QElapsedTimer>

#include <algorithm>

#include <unistd.h>

qint64 characterMicroseconds(std::uint32_t baud, int bitsPerCharacter) {
    if (baud == 0)
        return 0;
    return (qint64(bitsPerCharacter) * 1000000 + baud - 1) / baud;
}

qint64 drainBoundMs(qint64 characters, qint64 characterUs) {
    return (std::max<qint64>(characters, 0) * characterUs + 999) / 1000 + kDrainSlackMs;
}

DrainResult waitUntilSent(const OutputProbe& probe, qint64 justWritten, qint64 characterUs,
                          qint64 capMs) {
    QElapsedTimer clock;
    clock.start();
    const int queuedAtStart = probe.queued();
    if (queuedAtStart < 0)
        return DrainResult::CannotTell;
    // A USB adapter may report its queue empty while its own buffer still sends the bytes.
    qint64 boundMs = drainBoundMs(std::max<qint64>(queuedAtStart, justWritten), characterUs);
    if (capMs >= 0)
        boundMs = std::min(boundMs, capMs);
    const qint64 onTheLineUs = justWritten > 0 ? (justWritten + 1) * characterUs : 0;
    const useconds_t pollUs = useconds_t(std::clamp<qint64>(characterUs * 2, 500, 5000));
    for (;;) {
        const int queued = probe.queued();
        if (queued < 0)
            return DrainResult::CannotTell;
        if (queued == 0) {
            const std::optional<bool> empty =
                probe.transmitterEmpty ? probe.transmitterEmpty() : std::nullopt;
            if (empty ? *empty : clock.nsecsElapsed() / 1000 >= onTheLineUs)
                return DrainResult::Sent;
        }
        if (clock.elapsed() >= boundMs)
            return DrainResult::TimedOut;
        usleep(pollUs);
    }
}
