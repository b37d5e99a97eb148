#pragma once

// Byte codecs: conversions between data and the digit texts the user reads and types.
// The receive pane renders each received character in hex, decimal, octal or base 2 with the
// line renderers; the send box turns typed hex or base-2 groups into data with the parsers, and
// is rewritten with the group writers when the user switches its format.
//
// Text is a sequence of 16-bit codes (no surrogate-pair handling), so a code may exceed 255.
// Parsers produce one character of code 0-255 per decoded byte. Every function is pure and has
// no failure path: malformed input yields the defined values below, never an error.

#include "receive/readview.h"

#include <QString>
#include <QStringView>

// Single values. ByteToHex keeps only the low byte, as exactly two upper-case digits; the others
// show the full code: decimal without leading zeros, octal with at least 2 digits, base 2 with
// at least 8 (a code above 255 is never cut to 8).
QString ByteToHex(char16_t code);
QString ByteToDec(char16_t code);
QString ByteToOct(char16_t code);
QString ByteToBin(char16_t code);

// Each character rendered as above and followed by one space: "AB" gives "41 42 ", an empty
// text an empty result. Control characters are rendered like any other code.
QString HexLine(QStringView text);
QString DecLine(QStringView text);
QString OctLine(QStringView text);
QString BinLine(QStringView text);
// The text itself for the ASCII view, else the line renderer of `view`.
QString ReadViewLine(QStringView text, ReadView view);

// Each character as one group, groups joined by single spaces, none leading or trailing.
// Hex groups show the full code with at least two digits ("05", "41", "100", "20AC"), so a code
// above 255 does not survive a trip through HexGroupsToText; base-2 groups are ByteToBin, and
// likewise read back from their first eight digits only.
QString TextToHexGroups(QStringView text);
QString TextToBinGroups(QStringView text);

// Spaces are dropped, then the rest is read in pairs from the start; every other character,
// line breaks included, takes part in the pairing. A pair that is not two hex digits (either
// case) gives 0, and a last unpaired character is ignored: "41 4 2" gives "AB", "zz41" gives a
// character 0 and "A".
QString HexGroupsToText(QStringView text);

// Groups are separated by spaces only (a line break stays inside its group) and each gives the
// character BinStrToByte of the group. An empty group, from two spaces in a row or a leading or
// trailing space, is skipped: stray spacing never sends a 0 byte the user did not type.
QString BinGroupsToText(QStringView text);

// The short name of a control character: "NUL" to "US" for codes 0 to 31, "DEL" for 127; an empty
// text for any other code. Shown wherever a control character must be seen rather than obeyed.
QLatin1StringView ControlName(char16_t code);

// The first eight characters weighed 128 down to 1, most significant first; only "1" counts as
// a set bit, missing positions count as 0 ("1" gives 128, "101" gives 160), and characters past
// the eighth are ignored.
int BinStrToByte(QStringView group);
