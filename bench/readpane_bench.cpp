// Read pane display cost: the time of one display tick (append 4 KiB of HEX rendering, then
// repaint) when the pane already holds 1, 16 and 64 MiB of characters, the ratio of the 64 MiB
// figure to the 1 MiB one, the pane's memory per character and the process's peak memory at
// 64 MiB, the time to find (and to count) a string at 64 MiB, and the same tick on a stock
// QPlainTextEdit holding 1 MiB for comparison. Prints one figure per line as "name value".

#include "receive/readpane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr qsizetype kMiB = 1024 * 1024;
constexpr int kTicks = 21;

// HEX rendering of pseudo-random bytes ("41 0D 0A ..."): one endless line, as the HEX view
// produces.
QString hexText(qsizetype chars, quint32& seed) {
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(chars + 3);
    while (text.size() < chars) {
        seed = seed * 1664525u + 1013904223u;
        const unsigned byte = seed >> 24;
        text.append(QLatin1Char(digits[byte >> 4]));
        text.append(QLatin1Char(digits[byte & 15]));
        text.append(QLatin1Char(' '));
    }
    text.truncate(chars);
    return text;
}

// A figure from /proc/self/status in KiB, such as "VmHWM" or "VmRSS".
long statusKiB(const char* key) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

double medianMs(int runs, const std::function<void()>& tick) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        tick();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quint32 seed = 1;
    const QString tickText = hexText(4096, seed);
    const QString block = hexText(kMiB, seed);

    ReadPane pane;
    pane.resize(734, 300);
    pane.show();
    QApplication::processEvents();
    const long rssBefore = statusKiB("VmRSS");

    const auto tick = [&] {
        pane.appendText(tickText);
        pane.viewport()->repaint();
        QApplication::processEvents();
    };
    double at1 = 0, at64 = 0;
    for (const int mib : {1, 16, 64}) {
        QElapsedTimer fill;
        fill.start();
        while (pane.length() < mib * kMiB)
            pane.appendText(
                QStringView(block).left(std::min(block.size(), mib * kMiB - pane.length())));
        const double fillSeconds = double(fill.nsecsElapsed()) / 1e9;
        QApplication::processEvents();
        const double ms = medianMs(kTicks, tick);
        std::printf("display_tick_ms_at_%dMiB %.3f\n", mib, ms);
        if (mib == 1)
            at1 = ms;
        if (mib == 64)
            at64 = ms;
        if (mib == 16)
            print("fill_MiB_per_s", (16.0 - 1.0) / fillSeconds);
    }
    print("tick_ratio_64MiB_to_1MiB", at64 / at1);
    const long rss = statusKiB("VmRSS");
    print("pane_bytes_per_char_at_64MiB", double(rss - rssBefore) * 1024.0 / double(pane.length()));
    print("peak_memory_MiB_at_64MiB", double(statusKiB("VmHWM")) / 1024.0);

    // Searching the whole text: a string that is not there, so every character is looked at,
    // matching case and not; then counting a string that occurs about every 4 KiB.
    const auto timeMs = [](const std::function<void()>& work) {
        QElapsedTimer timer;
        timer.start();
        work();
        return double(timer.nsecsElapsed()) / 1e6;
    };
    qsizetype found = 0;
    const double findMs = timeMs(
        [&] { found += pane.find(QStringLiteral("DE AD BE EF 00"), 0, true, Qt::CaseSensitive); });
    std::printf("find_64MiB_ms %.3f (goal: under 200)\n", findMs);
    const double findNoCaseMs = timeMs([&] {
        found += pane.find(QStringLiteral("de ad be ef 00"), 0, true, Qt::CaseInsensitive);
    });
    std::printf("find_64MiB_ignoring_case_ms %.3f (goal: under 200)\n", findNoCaseMs);
    const double countMs =
        timeMs([&] { found += pane.countMatches(QStringLiteral("41 42 "), Qt::CaseInsensitive); });
    std::printf("count_64MiB_ms %.3f (goal: under 200)\n", countMs);
    std::fflush(stdout);
    if (found == -42)
        std::printf("unreachable\n");

    // A resize re-wraps everything: what a width change costs at 64 MiB.
    QElapsedTimer rewrap;
    rewrap.start();
    pane.resize(600, 300);
    print("rewrap_ms_at_64MiB", double(rewrap.nsecsElapsed()) / 1e6);
    pane.clear();

    QPlainTextEdit stock;
    stock.setReadOnly(true);
    stock.resize(734, 300);
    stock.show();
    stock.setPlainText(block);
    QApplication::processEvents();
    const double stockMs = medianMs(3, [&] {
        QTextCursor cursor(stock.document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(tickText);
        stock.setTextCursor(cursor);
        stock.verticalScrollBar()->setValue(stock.verticalScrollBar()->maximum());
        stock.viewport()->repaint();
        QApplication::processEvents();
    });
    print("stock_plaintextedit_tick_ms_at_1MiB", stockMs);
    return 0;
}
