#pragma once

// The language state and the string lookup every window uses.
// The state is filled once at start-up (before any background thread exists) and only read
// afterwards, so Translate() needs no lock. With no language loaded, or no entry for a text,
// Translate() returns the English text it was given.

#include <QString>
#include <QStringList>

struct LanguageState {
    QString ActiveLanguagePath;      // empty: no language loaded
    QStringList ActiveLanguageLines; // the loaded file's lines, in file order
    // Set by LoadLanguage and read by the language window.
    QString LanguageFolder = {};     // the folder of the language files; no trailing "/"
    QStringList LanguageFiles = {};  // names of the files found there ending in "lang.txt"
    QString ActiveLanguageName = {}; // the loaded file's name before ".lang.txt"; empty if none
};

// The process-wide state; written only by the start-up language loader.
const LanguageState& activeLanguage();
void setActiveLanguage(LanguageState state);

// The translation of `key` from the lines "{key}translation", the first matching line
// winning; `key` itself when nothing is loaded, nothing matches, or the translation is empty.
QString Translate(const QString& key);

// For a key holding "%s" (a format, such as "About %s"): the translation with its "%s" replaced
// by `argument`. Formatting happens after the lookup, so a translation places the argument
// where its language wants it.
QString TranslateFormat(const QString& key, const QString& argument);
