#pragma once

// Reading a text file the user picked (the file list, the send-later schedule): UTF-8 when the
// bytes are valid UTF-8, else by the byte-order mark (UTF-8, UTF-16 LE or BE), else Latin-1;
// lines split at CR LF, a lone CR or a lone LF, a break at the very end making no extra line.
// Exactly one byte-order mark is taken off the front; a U+FEFF after it is text.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct DecodedText {
    QString text;
    // False when some bytes could not be turned into text (broken UTF-8 after a UTF-8 mark,
    // an odd byte or a lone surrogate after a UTF-16 mark). Reading bytes without a mark that
    // are not UTF-8 as Latin-1 loses nothing.
    bool lossless = true;
};
DecodedText decodeTextFileChecked(const QByteArray& bytes);
QString decodeTextFile(const QByteArray& bytes);
QStringList splitLines(QStringView text);

struct TextFileRead {
    bool exists = false; // false: no file at the path (nothing else is set)
    QStringList lines;
    QString error; // set when the file exists but cannot be read
};
TextFileRead readTextFileLines(const QString& path);
