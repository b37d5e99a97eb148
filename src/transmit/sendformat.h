#pragma once

// The send formats: how a text typed or loaded for sending becomes bytes, and how the send box's
// text is rewritten when the user switches format. Text becomes bytes one character per byte
// (Latin-1, a character above 255 becomes "?"), so HEX and BIN groups send exactly their values.

#include <QByteArray>
#include <QString>

enum class SendFormat { Ascii, Hex, Bin };

// One byte per character; characters above 255 become "?".
QByteArray textToBytes(QStringView text);
// The bytes a send of `text` writes in `format` (may be empty: then nothing is sent).
QByteArray bytesToSend(QStringView text, SendFormat format);
// The send box's text rewritten from one format to another.
QString convertSendText(const QString& text, SendFormat from, SendFormat to);

// Whether `c` may stand in the send box in `format`, beside its line breaks: any character in
// ASCII; the digits 0-9, A-F, a-f and the space in HEX; 0, 1 and the space in BIN.
bool fitsSendFormat(QChar c, SendFormat format);
// Why `c` cannot go into the send box in `format`, naming the character, for a message.
QString sendFormatRefusal(QChar c, SendFormat format);

// The period field's rule: a whole 32-bit number brought into 1..999999999; anything else is 1.
int periodFromText(const QString& text);
// A stored period brought into 1..999999999 (0 would make a timer fire without pause).
int clampSendPeriod(qint64 period);
