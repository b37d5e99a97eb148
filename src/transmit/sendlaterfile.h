#pragma once

// The send-later schedule and its file, sendlater.csv: one line per entry, the command, the
// date text and the time text joined by the locale's list separator; UTF-8 with a byte-order
// mark, CR LF after every line. A field that holds the separator, a CR or an LF, or begins with
// a double quote, is written in double quotes with inner quotes doubled, and read back as one
// field; every other field is written as it is, so files from before keep loading the same.

#include <QByteArray>
#include <QList>
#include <QString>

struct SendLaterEntry {
    QString command;
    QString date; // in the locale's short date format
    QString time; // in the locale's long time format
    bool operator==(const SendLaterEntry&) const = default;
};

QByteArray serializeSchedule(const QList<SendLaterEntry>& entries, QChar separator);
// Any bytes load: missing fields are empty, fields after the third are dropped, blank lines
// are skipped, an unterminated quote runs to the end of the file.
QList<SendLaterEntry> parseSchedule(const QByteArray& bytes, QChar separator);
