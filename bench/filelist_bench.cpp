// File-list loading: a file of 1,000,000 short lines loaded into the main window's file list;
// prints, one per line, the load time, the process's peak memory, and the cost of scrolling to
// the end and editing a row afterwards.

#include "app/tappform.h"
#include "benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringListModel>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double peakMemoryMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString path = tmp.filePath("rows.txt");
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        QByteArray text;
        text.reserve(16 * 1000000);
        for (int i = 0; i < 1000000; ++i)
            text += "PING " + QByteArray::number(i) + "\r\n";
        file.write(text);
    }

    PrintedMessages messages;
    const AppEnvironment env = benchEnvironment(tmp, messages);
    TAppForm form(env);
    form.FormCreate();
    form.show();
    QApplication::processEvents();
    std::printf("peak_memory_MiB_before_load %.1f\n", peakMemoryMiB());

    QElapsedTimer clock;
    clock.start();
    form.DosyaSec(path);
    QApplication::processEvents();
    form.ListView1->viewport()->repaint();
    std::printf("load_1M_lines_ms %lld\n", static_cast<long long>(clock.elapsed()));
    std::printf("rows_loaded %lld\n", static_cast<long long>(form.ListView1Model->rowCount()));
    std::printf("peak_memory_MiB_after_load %.1f\n", peakMemoryMiB());

    clock.restart();
    form.ListView1->scrollToBottom();
    form.ListView1->viewport()->repaint();
    std::printf("scroll_to_end_ms %.2f\n", clock.nsecsElapsed() / 1e6);

    clock.restart();
    const QModelIndex row = form.ListView1Model->index(999999, 0);
    form.ListView1Model->setData(row, QStringLiteral("edited"));
    form.ListView1->viewport()->repaint();
    std::printf("edit_row_ms %.2f\n", clock.nsecsElapsed() / 1e6);
    return 0;
}
