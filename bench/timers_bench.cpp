// The send timers of a main window connected to a pseudo-terminal, beside their goals:
// periodic sending (the first send after the start and the shortest and longest gap between
// the moments the window starts its sends, at 100 ms and at 1000 ms), and how often the
// Send Later tick wakes the window while connected and idle, with no entry waiting and with
// one waiting a day ahead.

#include "app/tappform.h"
#include "benchsupport.h"
#include "connectedwindow.h"
#include "transmit/tformsendlater.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QEvent>
#include <QEventLoop>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

double msBetween(SteadyClock::time_point from, SteadyClock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Notes the moment each tick of a timer begins, before the window's handler sends.
class TickMoments : public QObject {
public:
    explicit TickMoments(QTimer* timer) { timer->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Timer)
            moments.push_back(SteadyClock::now());
        return false;
    }
    std::vector<SteadyClock::time_point> moments;
};

void periodicGaps(int periodMs, int sends) {
    ConnectedWindow window;
    if (!window.connected())
        return;
    TAppForm& form = *window.form;
    form.writeSetting("SendPeriod", QString::number(periodMs));
    form.EditSend->setPlainText("x");

    TickMoments ticks(form.TimerSendPeriodically);
    const SteadyClock::time_point start = SteadyClock::now();
    form.SendPeriodically1->trigger();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (int(ticks.moments.size()) >= sends ||
            msBetween(start, SteadyClock::now()) > sends * periodMs + 30000.0)
            loop.quit();
    });
    check.start(5);
    loop.exec();
    form.ButtonSend->click(); // STOP
    // What reached the far end of the line.
    qint64 received = 0;
    char buffer[4096];
    pollfd readable{window.master, POLLIN, 0};
    while (::poll(&readable, 1, 200) == 1) {
        const ssize_t n = ::read(window.master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        received += n;
    }
    if (int(ticks.moments.size()) < sends || received < sends) {
        std::fprintf(stderr, "periodic %d ms: %zu ticks, %lld bytes sent\n", periodMs,
                     ticks.moments.size(), static_cast<long long>(received));
        return;
    }

    double shortest = 1e9, longest = 0;
    for (size_t i = 1; i < ticks.moments.size(); ++i) {
        const double gap = msBetween(ticks.moments[i - 1], ticks.moments[i]);
        shortest = std::min(shortest, gap);
        longest = std::max(longest, gap);
    }
    std::printf("periodic_%dms_first_send_ms %.1f (goal: at least %d)\n", periodMs,
                msBetween(start, ticks.moments.front()), periodMs);
    std::printf("periodic_%dms_shortest_gap_ms %.1f (goal: at least %d; %zu sends)\n", periodMs,
                shortest, periodMs, ticks.moments.size());
    std::printf("periodic_%dms_longest_gap_ms %.1f (period %d)\n", periodMs, longest, periodMs);
    std::fflush(stdout);
}

// Counts the ticks of one timer, as its handler would see them.
class TickCounter : public QObject {
public:
    explicit TickCounter(QTimer* timer) { timer->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Timer)
            ++ticks;
        return false;
    }
    int ticks = 0;
};

void sendLaterWakeups(int seconds, bool entryWaiting) {
    ConnectedWindow window;
    if (!window.connected())
        return;
    TAppForm& form = *window.form;
    form.createSendLaterWindow();
    if (entryWaiting) {
        TFormSendLater& later = *form.FormSendLater;
        later.setMemoCommand(QStringLiteral("PING"));
        const QDateTime tomorrow = QDateTime::currentDateTime().addDays(1);
        later.DateTimePicker1->setDate(tomorrow.date());
        later.DateTimePicker2->setTime(tomorrow.time());
        later.Button1->click();
    }
    TickCounter counter(form.TimerSendLater);
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    std::printf("sendlater_idle_wakeups_per_s_%s %.2f (goal: 0%s)\n",
                entryWaiting ? "entry_tomorrow" : "no_entry", double(counter.ticks) / seconds,
                entryWaiting ? "; one look every ten minutes" : "");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    periodicGaps(100, 60);
    periodicGaps(1000, 6);
    sendLaterWakeups(10, false);
    sendLaterWakeups(10, true);
    return 0;
}
