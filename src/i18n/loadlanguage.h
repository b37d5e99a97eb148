#pragma once

// Choosing and loading the language of a run, once at start-up, and the locale facts that go
// with it. The user-interface language comes from the messages locale (LANGUAGE's first entry,
// else LC_ALL, LC_MESSAGES, LANG) as a Windows language identifier (through ICU); the table
// LanguageCodes.csv in the language folder maps identifiers to language files.

#include <QByteArray>
#include <QString>

#include <functional>

// The folder of language files: "Languages" beside the executable, else (an installed copy)
// "../share/brevane/Languages" from the executable's folder; the first when neither exists.
QString findLanguageFolder(const QString& programFolder);

// The messages locale from the environment, as `getenv` answers (injectable for tests).
QByteArray messagesLocale(const std::function<QByteArray(const char*)>& getenv);
QByteArray messagesLocale(); // of this process

// The Windows language identifier of a POSIX locale name ("de_DE.UTF-8" 1031, "de" 7,
// "sr_RS@latin" 9242); 1033 for C, POSIX, empty or unknown.
quint32 uiLanguageIdFor(const QByteArray& posixLocale);
// Language "-" country of a POSIX locale name ("de-DE"); "en-US" for C or POSIX; "xx" when it
// has no country or cannot be worked out.
QString userLocaleNameFor(const QByteArray& posixLocale);
// Of this process's messages locale, worked out once.
QString UserLocaleName();

// Sets the language state (see translate.h): scans `languageFolder` for files ending in
// "lang.txt", picks `requestedFile` when given (trimmed), else the file LanguageCodes.csv names
// for `uiLanguageId`, and loads it. Returns an error text when the chosen file exists but
// cannot be read (the path then counts as loaded, with no lines); empty otherwise.
QString LoadLanguage(const QString& languageFolder, const QString& requestedFile,
                     quint32 uiLanguageId);
