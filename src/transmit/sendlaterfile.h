#pragma once

// The send-later schedule and its file, sendlater.csv: one line per entry, the command, the
// date text and the time text joined by the locale's list separator; UTF-8 with a byte-order
// mark, CR LF after every line. A field that holds the separator, a CR or an LF, or begins with
// a double quote, is written in double quotes with inner quotes doubled, and read back as one
// field; every other field is written as it is, so files from before keep loading the same.
// Reading reports what it could not read, so the caller can keep the original before saving.

#include <QByteArray>
#include <QList>
#include <QString>

struct SendLaterEntry {
    QString command;
    QString date; // in the locale's short date format
    QString time; // in the locale's long time format
    bool operator==(const SendLaterEntry&) const = default;
};

struct ParsedSchedule {
    QList<SendLaterEntry> entries;
    int unreadableLines = 0; // lines left out: a field opens a quote that never closes
    bool lossless = true;    // false: some bytes could not be decoded (see decodeTextFileChecked)
    bool complete() const { return unreadableLines == 0 && lossless; }
};

QByteArray serializeSchedule(const QList<SendLaterEntry>& entries, QChar separator);
// Any bytes load: missing fields are empty, fields after the third are dropped, blank lines
// are skipped. A field that begins with a quote is a quoted field only when its closing quote
// is followed by the separator, a line break or the end; it may span lines up to that quote.
// A closing quote followed by other text on the same line makes the field plain text, read
// as it stands. A quote that never closes, or closes on a later line with text after it,
// costs the line it opens on, and reading goes on with the next line.
ParsedSchedule parseSchedule(const QByteArray& bytes, QChar separator);
