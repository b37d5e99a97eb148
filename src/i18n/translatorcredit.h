#pragma once

// The translator credit of a language file: the rest of its "{INFO:Translated By}" line, and
// that text as the lines the language window shows (one name per line).

#include <QByteArray>
#include <QString>
#include <QStringList>

// The lines of a language file: UTF-8 (a byte-order mark skipped, invalid bytes as the
// replacement character), split at CR LF, LF or CR; empty lines kept.
QStringList languageFileLines(const QByteArray& bytes);

// What follows the first "}" of the first line that begins with "{INFO:Translated By}", even
// when that is empty; the key "INFO:Translated By" itself when no line begins so.
QString translatorCredit(const QStringList& lines);

// The credit split at every ",", each piece trimmed of spaces and control characters; empty
// pieces stay as empty lines. An empty credit gives no lines.
QStringList creditLines(const QString& credit);
