#include "base/localeformats.h"
#include "support/qtprinters.h"
#include "transmit/sendlaterscheduler.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// A scheduler over the C locale's formats (01/31/26, 14:05:00) and a clock the test moves,
// told of its schedule at `start`, as the main window does when the schedule is loaded.
class Scheduler : public ::testing::Test {
protected:
    void begin(const QDateTime& at, const QList<SendLaterEntry>& schedule) {
        now = at;
        entries = schedule;
        scheduler.emplace(formats, [this] { return now; });
        scheduler->nextTickMs(entries);
    }
    SendLaterEntry entry(const QString& command, const QDateTime& when) const {
        return {command, formats.shortDate(when.date()), formats.longTime(when.time())};
    }
    // Ticks at each of `ticks` (milliseconds after `base`); the commands sent, in order.
    QString tickAt(const QDateTime& base, std::initializer_list<qint64> ticks) {
        QString sent;
        for (qint64 ms : ticks) {
            now = base.addMSecs(ms);
            for (const SendLaterEntry& e : scheduler->takeDue(entries))
                sent += e.command;
        }
        return sent;
    }

    const LocaleFormats formats{"C"};
    QDateTime now;
    QList<SendLaterEntry> entries;
    std::optional<SendLaterScheduler> scheduler;
};

const QDateTime kBase(QDate(2026, 3, 1), QTime(14, 5, 0));

TEST_F(Scheduler, EachEntryGoesOnceWhereverTheTicksFall) {
    struct Case {
        const char* what;
        QDateTime base;
        std::initializer_list<qint64> ticks; // ms after base; entries are due at +1, +2, +3 s
    };
    const Case cases[] = {
        {"just after each second begins", kBase, {1, 1001, 2001, 3001, 4001}},
        {"just before each second ends", kBase, {999, 1999, 2999, 3999}},
        {"mid-second", kBase, {499, 1499, 2499, 3499}},
        {"two ticks in one second, none in the next", kBase, {999, 1001, 1999, 3001, 3999}},
        {"a tick late by 2.5 s", kBase, {500, 1000, 3500}},
        {"the clock stepped back", kBase, {1500, 2500, 1200, 2200, 2999, 3500}},
        {"stepped back past every send", kBase, {3500, 500, 1500, 2500, 3500, 4500}},
        {"across midnight",
         QDateTime(QDate(2026, 3, 1), QTime(23, 59, 58)),
         {999, 1999, 2001, 2999, 3001, 3999}},
        {"across midnight, one late tick",
         QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)),
         {500, 3999}},
    };
    for (const Case& c : cases) {
        begin(c.base, {entry("1", c.base.addSecs(1)), entry("2", c.base.addSecs(2)),
                       entry("3", c.base.addSecs(3))});
        EXPECT_EQ(tickAt(c.base, c.ticks), "123") << c.what;
        EXPECT_EQ(scheduler->nextTickMs(entries), std::nullopt)
            << c.what << ": nothing waits once all went";
    }
}

TEST_F(Scheduler, AJumpForwardSendsOnlyTheLastFewSeconds) {
    const qint64 hour = 3600 * 1000;
    begin(kBase, {entry("passed", kBase.addSecs(5)), entry("an hour on", kBase.addSecs(3600)),
                  entry("just before", kBase.addSecs(3 * 3600 - 4)),
                  entry("now", kBase.addSecs(3 * 3600))});
    // The machine slept for three hours: what fell in the last few seconds still goes.
    EXPECT_EQ(tickAt(kBase, {100, 3 * hour + 300}), "just beforenow");
    EXPECT_EQ(tickAt(kBase, {3 * hour + 1300}), "");
    EXPECT_EQ(scheduler->nextTickMs(entries), std::nullopt);
}

TEST_F(Scheduler, AnEntryIsDueOnlyFromTheSecondItWasAdded) {
    begin(kBase, {});
    now = kBase.addMSecs(5300);
    // Added at 14:05:05.3: one for a second gone by, one for this second.
    entries = {entry("gone", kBase.addSecs(4)), entry("this", kBase.addSecs(5))};
    EXPECT_EQ(scheduler->nextTickMs(entries), 200) << "this second's entry, at its middle";
    EXPECT_EQ(tickAt(kBase, {5600, 6600}), "this");
    EXPECT_EQ(scheduler->nextTickMs(entries), std::nullopt);

    // The clock set back: what was never sent goes when its second comes again; nothing twice.
    EXPECT_EQ(tickAt(kBase, {3500}), "");
    EXPECT_EQ(scheduler->nextTickMs(entries), 1000);
    EXPECT_EQ(tickAt(kBase, {4500, 5500}), "gone");

    // Two equal entries are two entries: both go, once.
    now = kBase.addMSecs(7100);
    entries += {entry("twin", kBase.addSecs(8)), entry("twin", kBase.addSecs(8))};
    scheduler->nextTickMs(entries);
    EXPECT_EQ(tickAt(kBase, {8100, 8900}), "twintwin");
}

TEST_F(Scheduler, TheNextTickIsAimedAtTheMiddleOfTheNextWaitingSecond) {
    struct Case {
        const char* what;
        qint64 clockMs; // where the clock stands when asked, after kBase
        QList<SendLaterEntry> entries;
        std::optional<qint64> wait;
    };
    const QDateTime at = kBase;
    const Case cases[] = {
        {"an empty schedule", 200, {}, std::nullopt},
        {"only past and unreadable entries",
         200,
         {entry("past", at.addSecs(-1)), {"x", "", ""}, {"y", "03/01/26", "2 PM"}},
         std::nullopt},
        {"texts the clock never writes", 200, {{"z", "3/1/26", "14:05:01"}}, std::nullopt},
        {"next second", 200, {entry("a", at.addSecs(1))}, 1300},
        {"next second, asked at its very end", 999, {entry("a", at.addSecs(1))}, 501},
        {"this second, first half", 200, {entry("a", at)}, 300},
        {"this second, second half", 700, {entry("a", at)}, 0},
        {"the nearer of two", 0, {entry("far", at.addSecs(9)), entry("near", at.addSecs(1))}, 1500},
        // Long waits end a second early and are aimed again, none longer than ten minutes.
        {"five seconds on", 0, {entry("a", at.addSecs(5))}, 4500},
        {"tomorrow", 0, {entry("a", at.addDays(1))}, 10 * 60 * 1000},
    };
    for (const Case& c : cases) {
        begin(kBase, c.entries);
        now = kBase.addMSecs(c.clockMs);
        EXPECT_EQ(scheduler->nextTickMs(entries), c.wait) << c.what;
    }

    // A tick that comes late finds its entry due at once.
    begin(kBase, {entry("a", kBase.addSecs(1))});
    now = kBase.addMSecs(3200);
    EXPECT_EQ(scheduler->nextTickMs(entries), 0);
}

} // namespace
