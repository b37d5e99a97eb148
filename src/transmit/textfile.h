#pragma once

// Decoding a text file the user keeps (the send-later schedule): UTF-8 when the bytes are valid
// UTF-8, else by the byte-order mark (UTF-8, UTF-16 LE or BE), else Latin-1. Exactly one
// byte-order mark is taken off the front; a U+FEFF after it is text. (The file list applies
// the same rules to its compact rows.)

#include <QByteArray>
#include <QString>

struct DecodedText {
    QString text;
    // False when some bytes could not be turned into text (broken UTF-8 after a UTF-8 mark,
    // an odd byte or a lone surrogate after a UTF-16 mark). Reading bytes without a mark that
    // are not UTF-8 as Latin-1 loses nothing.
    bool lossless = true;
};
DecodedText decodeTextFileChecked(const QByteArray& bytes);
QString decodeTextFile(const QByteArray& bytes);
