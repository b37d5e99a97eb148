#pragma once

// SendLaterScheduler: decides which Send Later entries are due and when to look next, from a
// wall clock it is given. An entry is due in a second whose date and time, written in the
// locale's short date and long time formats, equal the entry's date and time texts (so the
// texts of sendlater.csv are matched as they stand).
//
// It promises, whatever moment of a second a look comes at, early, late or twice in a second:
// - An entry is sent at most once in a run: once it was due, the same entry (same command,
//   date and time) is not due again, also when the clock is stepped back, when local time
//   repeats an hour, or when the time format has no seconds and one text lasts a minute.
// - A look that comes late still finds the entries of the seconds it missed, but only of the
//   last kCatchUpSeconds: a busy or loaded machine delays a tick by a second or a few, while a
//   larger gap means the machine slept or the clock was set forward, and a command meant for
//   a moment must not go out long after it, nor a backlog of hours at once.
// - An entry is due only from the second it was first seen (loaded, added or edited): one
//   added for a moment that has already passed is never sent, as before. After the clock was
//   stepped back, every entry not yet sent is due again from the new now.
// nextTickMs() says when to look next: the middle of the next second with a waiting entry, so
// a tick aimed there lands inside that second whatever the offset between the wall clock and
// the timer's clock; nothing when no entry is waiting.

#include "transmit/sendlaterfile.h"

#include <QDateTime>
#include <QHash>
#include <QList>

#include <functional>
#include <optional>

class LocaleFormats;

class SendLaterScheduler {
public:
    using Clock = std::function<QDateTime()>;

    static constexpr qint64 kCatchUpSeconds = 10;
    // The wall clock may be slewed against the timer's clock (by up to 0.05 %), so a long wait
    // ends a second early and is aimed again, and none is longer than this: 0.05 % of it is
    // 0.3 s, less than the half second a tick has on either side.
    static constexpr qint64 kLongestWaitMs = 10 * 60 * 1000;

    SendLaterScheduler(const LocaleFormats& formats, Clock clock);

    // The entries due since the last look, up to the clock's now, in the order of their
    // seconds and, within a second, in list order. Each is then counted as sent.
    QList<SendLaterEntry> takeDue(const QList<SendLaterEntry>& entries);
    // Milliseconds from the clock's now until the next look should be; 0 when an entry is due
    // already; nothing when no entry is waiting.
    std::optional<qint64> nextTickMs(const QList<SendLaterEntry>& entries);

private:
    struct Key {
        QString command, date, time;
        bool operator==(const Key&) const = default;
        friend size_t qHash(const Key& key, size_t seed = 0) {
            return qHashMulti(seed, key.command, key.date, key.time);
        }
    };
    struct Seen {
        qint64 firstSecond = 0; // due only in this second or later
        bool sent = false;
        bool present = false; // still in the list at the last look
    };
    // Records entries not seen before as first seen in `nowSecond`, and forgets those no
    // longer listed; after the clock was stepped back, every entry is due from `nowSecond` on.
    void note(const QList<SendLaterEntry>& entries, qint64 nowSecond);
    bool matches(const SendLaterEntry& entry, const QDateTime& second) const;

    const LocaleFormats& m_formats;
    Clock m_clock;
    QHash<Key, Seen> m_seen;
    std::optional<qint64> m_latestSecond; // the latest second the clock has shown
};
