// File-list loading: a file of short lines loaded into the main window's file list; prints,
// one per line, the load time, the process's peak memory and the peak memory per byte of file
// beside its goal, and the cost of scrolling to the end and editing a row afterwards.
// Without an argument the file has 1,000,000 lines; with a number N it is N MB of lines.

#include "app/tappform.h"
#include "benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

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

// Written a megabyte at a time, so writing it does not raise the peak being measured.
qint64 writeRows(const QString& path, qint64 lines, qint64 bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QByteArray chunk;
    qint64 written = 0, line = 0;
    while ((lines > 0 && line < lines) || (bytes > 0 && written < bytes)) {
        chunk += "PING " + QByteArray::number(line++) + "\r\n";
        if (chunk.size() >= (1 << 20)) {
            written += file.write(chunk);
            chunk.clear();
        }
    }
    written += file.write(chunk);
    return written;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 0;
    QTemporaryDir tmp;
    const QString path = tmp.filePath("rows.txt");
    const qint64 size = writeRows(path, megabytes ? 0 : 1000000, megabytes * 1000000);
    const QByteArray name = megabytes ? QByteArray::number(megabytes) + "MB" : "1M_lines";

    PrintedMessages messages;
    const AppEnvironment env = benchEnvironment(tmp, messages);
    TAppForm form(env);
    form.FormCreate();
    form.show();
    QApplication::processEvents();
    const double before = peakMemoryMiB();
    std::printf("peak_memory_MiB_before_load %.1f\n", before);

    QElapsedTimer clock;
    clock.start();
    form.DosyaSec(path);
    QApplication::processEvents();
    form.ListView1->viewport()->repaint();
    std::printf("load_%s_ms %lld\n", name.constData(), static_cast<long long>(clock.elapsed()));
    const int rows = form.ListView1Model->rowCount();
    std::printf("rows_loaded %d\n", rows);
    const double after = peakMemoryMiB();
    std::printf("peak_memory_MiB_after_load %.1f\n", after);
    std::printf("load_%s_peak_memory_per_file_byte %.2f (goal: at most 3)\n", name.constData(),
                (after - before) * 1024 * 1024 / double(size));

    clock.restart();
    form.ListView1->scrollToBottom();
    form.ListView1->viewport()->repaint();
    std::printf("scroll_to_end_ms %.2f\n", clock.nsecsElapsed() / 1e6);

    clock.restart();
    const QModelIndex row = form.ListView1Model->index(rows - 1, 0);
    form.ListView1Model->setData(row, QStringLiteral("edited"), Qt::EditRole);
    form.ListView1->viewport()->repaint();
    std::printf("edit_row_ms %.2f\n", clock.nsecsElapsed() / 1e6);
    return 0;
}
