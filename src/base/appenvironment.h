#pragma once

// AppEnvironment: everything the main window takes from the world outside the program, in one
// place so tests can put a window over a temporary folder, a fixed clock and a scripted
// message service. AppEnvironment::system() gives the real values.

#include "base/serialportinfo.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class MessageBoxService;

struct AppEnvironment {
    QString programFile;   // the running executable: version record and restarts
    QString programFolder; // where settings.ini lives when the folder is writable
    QString configHome;    // base of the per-user settings folder ($XDG_CONFIG_HOME)
    QString desktopFolder; // default log folder
    std::function<QDateTime()> clock;
    // The locale for dates, times and the list separator; empty: the process's own.
    QByteArray localeName;
    // The messages locale that picks the language (a POSIX name such as "de_DE.UTF-8"); empty:
    // the process's own (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
    QByteArray messagesLocaleName;
    MessageBoxService* messages = nullptr;
    // Starts a new copy of the program; the real one detaches a process.
    std::function<void(const QString& programFile)> startProgram;
    // Ends this copy at once without closing windows (File > Exit).
    std::function<void()> terminate;
    // Runs a shell script detached (the language window's start.sh); true when it started.
    // Unset: /bin/sh runs it in the script's folder.
    std::function<bool(const QString& script)> startScript;
    // Opens a web page or a file in the desktop's program for it; false when nothing could
    // open it. Unset: the desktop's own.
    std::function<bool(const QUrl& url)> openUrl;
    // Asks the user for a folder; returns it, or an empty text when cancelled. Unset: the
    // window's own folder dialog.
    std::function<QString(const QString& title, const QString& acceptLabel,
                          const QString& startFolder)>
        chooseFolder;
    // Asks the user for a file to open; returns its path, or an empty text when cancelled.
    // Unset: the window's own open dialog.
    std::function<QString()> chooseOpenFile;
    // Posts form fields ("name=value") to a script on the maker's web host, https first and
    // http when that fails, and gives the reply; empty when both fail or there is no host.
    // Called on a worker thread. Unset: the real post to the web host.
    std::function<QString(const QString& path, const QStringList& fields, int timeoutMs)>
        postToWebHost;
    // Sounds the default beep; unset: the system's.
    std::function<void()> beep;
    // The port box's list in its order: the serial devices present, "loop://", COM1..COM99.
    // Read at start and again whenever a watched folder changes. system() leaves it unset
    // (the port layer fills it in); unset: "loop://" and COM1..COM99.
    std::function<QList<SerialPortInfo>()> portList;
    // Folders whose changes mean devices came or went (udev's /dev and /dev/serial/by-id);
    // empty: the list is read once.
    QStringList portWatchFolders;
    // Where the stable names of serial devices live; a device opened through another name is
    // known again by its name here when it comes back after an unplug.
    QString serialByIdFolder = QStringLiteral("/dev/serial/by-id");
    // The maker's web host (host or host:port; empty: none); unset: the build's or the
    // BREVANE_WEB_HOST variable's.
    std::optional<QString> webHost;

    static AppEnvironment system(MessageBoxService& messages);
};
