#pragma once

// The traffic log: what is received and sent, appended as UTF-8 (no byte-order mark) to two
// dated files a day in a folder the user chooses, "yyyy-mm-dd incoming.txt" and
// "yyyy-mm-dd outgoing.txt". Each entry is appended as it is, with nothing added; the file is
// opened and closed for every entry. Failures are silent: an entry that cannot be written is
// lost and nothing else changes. An entry is written whole or not at all: when the disk fills
// part way, the file is cut back to where it was.

#include <QDate>
#include <QString>

// The file of `kind` ("incoming" or "outgoing") for `date` in `directory`.
QString trafficLogPath(const QString& directory, const QDate& date, const QString& kind);

// Appends `text` to that file, creating the directory (with its parents) and the file as
// needed. Returns whether the entry was written; callers ignore it, tests read it.
bool appendTrafficLog(const QString& directory, const QDate& date, const QString& kind,
                      const QString& text);
