#include "transmit/sendlaterscheduler.h"

#include "base/localeformats.h"

#include <QTimeZone>

#include <algorithm>

namespace {

qint64 secondOf(qint64 msecsSinceEpoch) {
    // Rounded down, also before 1970.
    return msecsSinceEpoch >= 0 ? msecsSinceEpoch / 1000 : -((-msecsSinceEpoch + 999) / 1000);
}

// A date and time of day in the time zone the clock reads in.
QDateTime wallTime(const QDateTime& clockNow, const QDate& date, const QTime& time) {
    if (clockNow.timeSpec() == Qt::LocalTime)
        return QDateTime(date, time);
    return QDateTime(date, time, clockNow.timeZone());
}

} // namespace

SendLaterScheduler::SendLaterScheduler(const LocaleFormats& formats, Clock clock)
    : m_formats(formats), m_clock(std::move(clock)) {}

void SendLaterScheduler::note(const QList<SendLaterEntry>& entries, qint64 nowSecond) {
    const bool steppedBack = m_latestSecond && nowSecond < *m_latestSecond;
    m_latestSecond = nowSecond;
    for (Seen& seen : m_seen) {
        seen.present = false;
        if (steppedBack)
            seen.firstSecond = std::min(seen.firstSecond, nowSecond);
    }
    for (const SendLaterEntry& entry : entries) {
        const Key key{entry.command, entry.date, entry.time};
        const auto it = m_seen.find(key);
        if (it == m_seen.end())
            m_seen.insert(key, Seen{nowSecond, false, true});
        else
            it->present = true;
    }
    m_seen.removeIf([](const std::pair<const Key&, Seen&>& item) { return !item.second.present; });
}

bool SendLaterScheduler::matches(const SendLaterEntry& entry, const QDateTime& second) const {
    return entry.date == m_formats.shortDate(second.date()) &&
           entry.time == m_formats.longTime(second.time());
}

QList<SendLaterEntry> SendLaterScheduler::takeDue(const QList<SendLaterEntry>& entries) {
    const QDateTime now = m_clock();
    const qint64 nowMs = now.toMSecsSinceEpoch();
    const qint64 nowSecond = secondOf(nowMs);
    note(entries, nowSecond);

    const qint64 from = nowSecond - kCatchUpSeconds + 1;
    struct Texts {
        QString date, time;
    };
    QList<Texts> texts; // of each second from `from` to now
    for (qint64 second = from; second <= nowSecond; ++second) {
        const QDateTime at = now.addMSecs(second * 1000 - nowMs);
        texts.append({m_formats.shortDate(at.date()), m_formats.longTime(at.time())});
    }

    QList<std::pair<qint64, qsizetype>> due; // the second, the entry's place in the list
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const SendLaterEntry& entry = entries.at(i);
        const Seen seen = m_seen.value(Key{entry.command, entry.date, entry.time});
        if (seen.sent)
            continue;
        // The first second that shows its texts: with a time format coarser than a second
        // they show for longer, and it still goes once.
        for (qint64 second = std::max(from, seen.firstSecond); second <= nowSecond; ++second) {
            const Texts& t = texts.at(second - from);
            if (t.date == entry.date && t.time == entry.time) {
                due.append({second, i});
                break;
            }
        }
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    QList<SendLaterEntry> result;
    for (const auto& [second, i] : due)
        result.append(entries.at(i));
    // Marked only now, so two equal entries in the list both go.
    for (const SendLaterEntry& entry : result)
        m_seen[Key{entry.command, entry.date, entry.time}].sent = true;
    return result;
}

std::optional<qint64> SendLaterScheduler::nextTickMs(const QList<SendLaterEntry>& entries) {
    const QDateTime now = m_clock();
    const qint64 nowMs = now.toMSecsSinceEpoch();
    const qint64 nowSecond = secondOf(nowMs);
    note(entries, nowSecond);

    const qint64 from = nowSecond - kCatchUpSeconds + 1;
    const QString nowDate = m_formats.shortDate(now.date());
    const QString nowTime = m_formats.longTime(now.time());
    std::optional<qint64> next; // the second of the next look
    for (const SendLaterEntry& entry : entries) {
        const Seen seen = m_seen.value(Key{entry.command, entry.date, entry.time});
        if (seen.sent)
            continue;
        const qint64 earliest = std::max(from, seen.firstSecond);
        std::optional<qint64> second;
        const std::optional<QDate> date = m_formats.readDate(entry.date);
        const std::optional<QTime> time = m_formats.readTime(entry.time);
        if (date && time) {
            // The second its texts name, if that second writes them back (a text read
            // leniently, or a time that local time skips, is never shown by the clock).
            const QDateTime at = wallTime(now, *date, *time);
            if (at.isValid() && secondOf(at.toMSecsSinceEpoch()) >= earliest && matches(entry, at))
                second = secondOf(at.toMSecsSinceEpoch());
        }
        // A time format coarser than a second: its text may be showing now.
        if (!second && nowSecond >= earliest && entry.date == nowDate && entry.time == nowTime)
            second = nowSecond;
        if (second && (!next || *second < *next))
            next = second;
    }
    if (!next)
        return std::nullopt;
    const qint64 wait = std::max<qint64>(0, *next * 1000 + 500 - nowMs);
    if (wait <= 2000)
        return wait;
    return std::min(wait - 1000, kLongestWaitMs);
}
