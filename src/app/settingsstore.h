#pragma once

// SettingsStore: the one in-memory copy of settings.ini.
// Reads the whole file once; every write changes memory only, and UpdateFile() replaces the
// file on disk atomically (temporary file in the same folder, flushed, renamed over the old
// one), so the file always holds the last change or the one before it, never a half-written
// mix. Section and key names compare without regard to letter case; sections and keys the
// program does not know survive a rewrite in their place.

#include <QByteArray>
#include <QList>
#include <QString>

class SettingsStore {
public:
    // The outcome of reading or writing the file; empty text means success.
    struct FileError {
        QString text; // ready to show: what failed, the full path and the system's reason
        int sysErrno = 0;
        explicit operator bool() const { return !text.isEmpty(); }
    };

    // An empty store bound to the file at `path`; nothing is read or written yet.
    explicit SettingsStore(QString path);

    // Reads the file into the store, replacing what the store held. A missing file gives an
    // empty store and no error; a file that exists but cannot be read gives an empty store
    // and an error naming the file and the reason. The store stays usable either way.
    FileError Load();

    // Replaces the store's content with `bytes` read by the INI rules (UTF-8, BOM skipped).
    void Parse(const QByteArray& bytes);
    // The whole store in the file format: BOM, CR LF on every line, an empty line after
    // each section.
    QByteArray Serialize() const;

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "0x"; `def` when absent or not a 32-bit integer.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);

    // Writes the whole store to the file, replacing it atomically. On failure the error text
    // is "Cannot create file " + the path in double quotes + ". " + the system's reason, the
    // file on disk is left as it was and the store keeps its values.
    FileError UpdateFile() const;

    const QString& path() const { return m_path; }

private:
    struct Entry {
        QString name;
        QString value;
        bool hasValue = true; // a line without "=" is kept but reads as absent
    };
    struct Section {
        QString name;
        QList<Entry> entries;
    };

    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;

    QString m_path;
    QList<Section> m_sections;
};
