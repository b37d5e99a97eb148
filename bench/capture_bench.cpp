// Long captures: 64 MiB pushed through a pseudo-terminal into a connected main window, one
// process per figure so that each peak is its own. Prints, beside their goals:
// - the process's peak memory above the empty window, per received byte, in each read view;
// - with 64 MiB received in the HEX view, the time one window resize takes on the window's
//   thread (the resize and the repaint that shows it), and a search of the whole pane.
// Run without arguments for every figure; "memory VIEW" or "resize" for one.

#include "connectedwindow.h"
#include "receive/bytecodecs.h"
#include "receive/readpane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// The read views, named here so that the benchmark builds against earlier trees too.
enum class View { Ascii, Hex, Dec, Oct, Bin };

QString renderLine(QStringView text, View view) {
    switch (view) {
    case View::Hex:
        return HexLine(text);
    case View::Dec:
        return DecLine(text);
    case View::Oct:
        return OctLine(text);
    case View::Bin:
        return BinLine(text);
    default:
        return text.toString();
    }
}

constexpr qsizetype kTotal = qsizetype(64) << 20;

long statusKiB(const char* key) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// What a serial line typically carries in each view: text lines for ASCII, arbitrary bytes for
// the digit views.
QByteArray captureData(bool text) {
    QByteArray data(kTotal, Qt::Uninitialized);
    if (text) {
        qsizetype at = 0;
        for (int line = 0; at < kTotal; ++line) {
            const QByteArray l =
                "reading " + QByteArray::number(line) + ": temperature 21.4 C, humidity 40 %\r\n";
            const qsizetype n = std::min(l.size(), kTotal - at);
            std::memcpy(data.data() + at, l.constData(), size_t(n));
            at += n;
        }
    } else {
        quint32 seed = 1;
        for (qsizetype i = 0; i < kTotal; ++i) {
            seed = seed * 1664525u + 1013904223u;
            data[i] = char(seed >> 24);
        }
    }
    return data;
}

qsizetype renderedLength(const QByteArray& data, View view) {
    qsizetype widths[256];
    for (int b = 0; b < 256; ++b) {
        const QChar c(b);
        widths[b] = renderLine(QStringView(&c, 1), view).size();
    }
    qsizetype total = 0;
    for (char c : data)
        total += widths[uchar(c)];
    return total;
}

QRadioButton* viewButton(TAppForm& form, View view) {
    switch (view) {
    case View::Hex:
        return form.RadioButton2;
    case View::Dec:
        return form.RadioButton3;
    case View::Oct:
        return form.RadioButton4;
    case View::Bin:
        return form.RadioButton5;
    default:
        return form.RadioButton1;
    }
}

// Pushes `data` into the window and runs its event loop until the pane shows all of it.
bool receive(ConnectedWindow& window, const QByteArray& data, qsizetype expected) {
    TAppForm& form = *window.form;
    std::thread writer([&] {
        qsizetype done = 0;
        while (done < data.size()) {
            const ssize_t n =
                ::write(window.master, data.constData() + done, size_t(data.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
    });
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer check;
    check.setInterval(5);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (form.Memo1->length() >= expected || clock.elapsed() > 600000)
            loop.quit();
    });
    check.start();
    loop.exec();
    writer.join();
    return form.Memo1->length() == expected;
}

const struct {
    const char* name;
    View view;
    double goal;
} kViews[] = {{"ascii", View::Ascii, 1.2},
              {"hex", View::Hex, 1.5},
              {"dec", View::Dec, 1.5},
              {"oct", View::Oct, 1.5},
              {"bin", View::Bin, 1.5}};

int memory(const char* name) {
    const auto* v = std::find_if(std::begin(kViews), std::end(kViews),
                                 [&](const auto& v) { return std::strcmp(v.name, name) == 0; });
    if (v == std::end(kViews))
        return 2;
    const QByteArray data = captureData(v->view == View::Ascii);
    const qsizetype expected = renderedLength(data, v->view);
    ConnectedWindow window;
    if (!window.connected())
        return 1;
    viewButton(*window.form, v->view)->click();
    QApplication::processEvents();
    const long before = statusKiB("VmRSS");
    if (!receive(window, data, expected)) {
        std::printf("peak_memory_per_received_byte_%s failed: not all shown\n", v->name);
        return 1;
    }
    const double perByte = double(statusKiB("VmHWM") - before) * 1024.0 / double(kTotal);
    std::printf("peak_memory_per_received_byte_%s %.2f (goal: at most %.1f)\n", v->name, perByte,
                v->goal);
    return 0;
}

template <class Pane> bool layoutPending(Pane& pane) {
    if constexpr (requires { pane.isLayoutPending(); })
        return pane.isLayoutPending();
    else
        return false;
}

int resize() {
    const QByteArray data = captureData(false);
    ConnectedWindow window;
    if (!window.connected())
        return 1;
    TAppForm& form = *window.form;
    form.RadioButton2->click();
    if (!receive(window, data, 3 * kTotal))
        return 1;
    QApplication::processEvents();
    const QSize size = form.size();
    std::vector<double> times;
    double settleMs = 0;
    for (int i = 0; i < 6; ++i) {
        const int paneWidth = form.Memo1->width();
        QElapsedTimer timer;
        timer.start();
        form.resize(size.width() + (i % 2 == 0 ? 90 : 0), size.height());
        form.repaint();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (form.Memo1->width() == paneWidth)
            std::printf("resize: the pane kept its width\n");
        // The lines out of view are wrapped again in the background, in short steps.
        QElapsedTimer settle;
        settle.start();
        while (layoutPending(*form.Memo1))
            QApplication::processEvents();
        settleMs = std::max(settleMs, double(settle.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("resize_ms_at_64MiB_received_hex %.1f (goal: under 50; slowest %.1f)\n",
                times[times.size() / 2], times.back());
    std::printf("background_rewrap_ms_at_64MiB_received_hex %.0f (in steps of at most ~8 ms)\n",
                settleMs);
    QElapsedTimer find;
    find.start();
    const qsizetype at =
        form.Memo1->find(QStringLiteral("DE AD BE EF 00"), 0, true, Qt::CaseSensitive);
    std::printf("find_ms_at_64MiB_received_hex %.1f (%lld characters; goal: under 200 for 64 MiB "
                "of text)%s\n",
                double(find.nsecsElapsed()) / 1e6, static_cast<long long>(form.Memo1->length()),
                at == -2 ? "!" : "");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "memory") == 0)
        return memory(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "resize") == 0)
        return resize();
    std::vector<QStringList> runs;
    for (const auto& v : kViews)
        runs.push_back({"memory", v.name});
    runs.push_back({"resize"});
    int failed = 0;
    for (const QStringList& args : runs) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), args);
        child.waitForFinished(-1);
        failed += child.exitCode() != 0;
    }
    return failed;
}
