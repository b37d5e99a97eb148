// Start-up with a very large settings.ini: the main window's creation (reading the file,
// applying every setting, the first writes) over files of a million sections and of a
// million keys in one section; prints the time per 10 MB of file beside its goal.

#include "app/tappform.h"
#include "benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double startMs(const QByteArray& file, qint64& sizeOut) {
    QTemporaryDir tmp;
    QFile out(tmp.filePath("settings.ini"));
    out.open(QIODevice::WriteOnly);
    out.write(file);
    out.close();
    sizeOut = file.size();

    PrintedMessages messages;
    QElapsedTimer clock;
    clock.start();
    TAppForm form(benchEnvironment(tmp, messages));
    form.FormCreate();
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QByteArray sections = "\xEF\xBB\xBF[Settings]\r\nPort=COM3\r\n\r\n";
    for (int i = 0; i < 1000000; ++i)
        sections += "[Section" + QByteArray::number(i) + "]\r\nKey=Value\r\n\r\n";
    QByteArray keys = "\xEF\xBB\xBF[Other]\r\nX=1\r\n\r\n[Settings]\r\n";
    for (int i = 0; i < 1000000; ++i)
        keys += "Key" + QByteArray::number(i) + "=Value\r\n";
    keys += "Port=COM3\r\n";

    const std::pair<const char*, const QByteArray*> files[] = {{"1M_sections", &sections},
                                                               {"1M_keys", &keys}};
    for (const auto& [name, bytes] : files) {
        qint64 size = 0;
        const double ms = startMs(*bytes, size);
        const double mb = size / 1e6;
        std::printf("settings_start_%s_MB %.1f\n", name, mb);
        std::printf("settings_start_%s_ms %.0f\n", name, ms);
        std::printf("settings_start_%s_ms_per_10MB %.0f (goal: well under 1000)\n", name,
                    ms / mb * 10);
    }
    return 0;
}
