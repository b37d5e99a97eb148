// The About window at rest with its animation running: the share of one core the process
// uses over a stretch of real time, beside its goal. With --screenshot FILE it also saves a
// picture of the window after two seconds (for looking at it at any scale and palette), and
// with --hidden-picture the card has slid away by then; --dark sets a dark desktop palette.

#include "about/taboutbox.h"
#include "app/icons.h"
#include "darkpalette.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString screenshot;
    int seconds = 10;
    bool egg = false;
    bool dark = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--screenshot") && i + 1 < argc)
            screenshot = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--dark"))
            dark = true;
        else if (!std::strcmp(argv[i], "--hidden-picture"))
            egg = true;
        else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
    }

    if (dark)
        useDarkPalette();

    AboutBoxContext context;
    context.productName = QStringLiteral("Brevane");
    context.shortVersion = QStringLiteral("2.0");
    context.programFile = QCoreApplication::applicationFilePath();
    context.webHost = QStringLiteral("127.0.0.1:8080");
    context.programIcon = brevaneIcon(QStringLiteral("brevane"));
    TAboutBox box(std::move(context));
    box.show();
    if (egg)
        QTimer::singleShot(500, &box, &TAboutBox::Image1DblClick);

    // The first second settles the window; the measured stretch follows.
    double cpuFrom = 0;
    QElapsedTimer wall;
    QTimer::singleShot(1000, [&] {
        cpuFrom = cpuSeconds();
        wall.start();
    });
    if (!screenshot.isEmpty())
        QTimer::singleShot(2000, [&] { box.grab().save(screenshot); });
    QTimer::singleShot(1000 + seconds * 1000, [&] { app.quit(); });
    app.exec();
    const double used = cpuSeconds() - cpuFrom;
    const double elapsed = wall.nsecsElapsed() / 1e9;
    std::printf("About window, animation running (%s): %.2f %% of one core over %.0f s "
                "(goal: under 5 %%)\n",
                qPrintable(QGuiApplication::platformName()), 100.0 * used / elapsed, elapsed);
    return 0;
}
