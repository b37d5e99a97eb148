#pragma once

// The one-off script that starts the program again after the language window has ended it:
// start.sh in the settings folder, run detached with /bin/sh. It waits a second so that the
// old copy is gone, then replaces itself with the program. The program's path is quoted for
// the shell, so any path (spaces, quotes, "$", backticks, line breaks, non-ASCII) starts
// exactly that file and nothing else.

#include <QByteArray>
#include <QString>

// The script's text as UTF-8 with LF line ends, the last line ended too.
QByteArray restartScript(const QString& programFile);

// `text` as one shell word that stands for exactly `text`.
QString shellQuoted(const QString& text);

struct RestartScriptWrite {
    QString path;     // settingsFolder + "start.sh"
    int sysErrno = 0; // 0: written
    bool ok() const { return sysErrno == 0; }
};

// Replaces start.sh in `settingsFolder` atomically with the script for `programFile`.
RestartScriptWrite writeRestartScript(const QString& settingsFolder, const QString& programFile);
