// Receive throughput: a writer pushes 16 MiB through a pseudo-terminal as fast as it takes
// them into a connected main window running its own event loop; prints, one per line, the
// bytes per second that reached the read pane and the bytes lost, for the ASCII and HEX views
// with logging off and on; then how often the process wakes up (voluntary context switches per
// second) while connected and idle, beside its goal.

#include "app/tappform.h"
#include "benchsupport.h"
#include "connectedwindow.h"
#include "receive/readpane.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <pty.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr qsizetype kTotal = 16 * 1024 * 1024;

void run(bool hex, bool logging) {
    ConnectedWindow window;
    if (!window.connected())
        return;
    TAppForm& form = *window.form;
    const int master = window.master;
    QTemporaryDir& tmp = window.tmp;
    if (hex)
        form.RadioButton2->click();
    if (logging) {
        form.ButtonLogClick();
        form.EditLogDir->setText(tmp.filePath("logs"));
    }

    QByteArray data(kTotal, Qt::Uninitialized);
    for (qsizetype i = 0; i < kTotal; ++i)
        data[i] = char('A' + i % 26);
    QElapsedTimer clock;
    clock.start();
    std::thread writer([&] {
        qsizetype done = 0;
        while (done < kTotal) {
            const ssize_t n = ::write(master, data.constData() + done, size_t(kTotal - done));
            if (n <= 0)
                break;
            done += n;
        }
    });

    const qsizetype perByte = hex ? 3 : 1;
    QEventLoop loop;
    QTimer check;
    check.setInterval(5);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (form.Memo1->length() >= kTotal * perByte || clock.elapsed() > 180000)
            loop.quit();
    });
    check.start();
    loop.exec();
    const double seconds = clock.elapsed() / 1000.0;
    writer.join();

    const qsizetype shown = form.Memo1->length() / perByte;
    const char* label =
        hex ? (logging ? "hex_log" : "hex_nolog") : (logging ? "ascii_log" : "ascii_nolog");
    std::printf("throughput_%s_bytes_per_s %.0f\n", label, shown / seconds);
    std::printf("lost_%s_bytes %lld\n", label, static_cast<long long>(kTotal - shown));
    std::fflush(stdout);
}

long voluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

// Connected to a pseudo-terminal that sends nothing, the window running its own event loop.
void idleWakeups(int seconds) {
    ConnectedWindow window;
    if (!window.connected())
        return;
    QEventLoop loop;
    long from = 0;
    QElapsedTimer clock;
    // The first seconds let start-up work (the first display ticks, the update check) settle.
    QTimer::singleShot(3000, [&] {
        from = voluntarySwitches();
        clock.start();
    });
    QTimer::singleShot(3000 + seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double perSecond = (voluntarySwitches() - from) / (clock.elapsed() / 1000.0);
    std::printf("idle_connected_wakeups_per_s %.1f (goal: 0; nothing runs while nothing arrives)\n",
                perSecond);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // "idle": only the idle figure.
    if (argc < 2 || std::strcmp(argv[1], "idle") != 0)
        for (bool hex : {false, true})
            for (bool logging : {false, true})
                run(hex, logging);
    idleWakeups(10);
    return 0;
}
