#pragma once

// SettingsStore: the one in-memory copy of settings.ini.
// Reads the whole file once; every write changes memory only, and UpdateFile() replaces the
// file on disk atomically (temporary file in the same folder, flushed, renamed over the old
// one), so the file always holds the last change or the one before it, never a half-written
// mix. Section and key names compare without regard to letter case; sections and keys the
// program does not know survive a rewrite in their place. A file that exists but cannot be read
// or decoded whole is never overwritten or deleted: Load() keeps it aside first, and when even
// that fails the store lives in memory only for the run. No value with a line break is ever
// written (it would break the file's lines).

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// A hash of `name` that ignores letter case exactly as QString::compare(Qt::CaseInsensitive)
// does: each code point folded on its own.
size_t caseFoldedHash(QStringView name, size_t seed) noexcept;

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
    // empty store and no error. A file that exists but cannot be read (no permission, not a
    // regular file) is moved aside and the store starts empty; one that is read but not
    // decoded whole is copied aside and the store holds what could be read. The error then
    // names the file, the reason and where the original is kept, or says that this run keeps
    // its settings in memory only (when it could not be kept aside: UpdateFile() then writes
    // nothing). The store stays usable either way.
    FileError Load();

    // Replaces the store's content with `bytes` read by the INI rules: UTF-8 (BOM skipped), or
    // UTF-16 after its byte-order mark. Returns false when some bytes could not be decoded (not
    // valid UTF-8 nor UTF-16 with a mark): the text is then read as far as possible, as Latin-1
    // where there is no mark.
    bool Parse(const QByteArray& bytes);
    // The whole store in the file format: BOM, CR LF on every line, an empty line after
    // each section.
    QByteArray Serialize() const;

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "0x"; `def` when absent or not a 32-bit integer.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // Refuses (returns false, the store unchanged) a name or value holding CR or LF: the file
    // could not hold it. Callers never pass one; the boxes whose text is stored cannot hold
    // line breaks.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);

    // Writes the whole store to the file, replacing it atomically. On failure the error text
    // is "Cannot create file " + the path in double quotes + ". " + the system's reason, the
    // file on disk is left as it was and the store keeps its values. In memory-only mode it
    // writes nothing and succeeds.
    FileError UpdateFile() const;

    // Options > Reset to Defaults: deletes the file (a symbolic link keeps its link and its
    // target is emptied). In memory-only mode the file that could not be read is left alone.
    void DeleteFile() const;

    const QString& path() const { return m_path; }
    bool memoryOnly() const { return m_memoryOnly; }

private:
    // Names and values read from the file refer into m_text instead of holding copies, so a
    // file of a million lines loads without a million allocations; written ones own their text.
    struct Entry {
        QString name;
        QString value;
        qsizetype next = -1;  // the section's next entry in m_entries; -1 at its end
        bool hasValue = true; // a line without "=" is kept but reads as absent
    };
    struct Section {
        QString name;
        qsizetype first = -1, last = -1; // its chain of entries in m_entries
    };
    // A section name that hashes and compares without regard to letter case.
    struct FoldedName {
        QString name;
        friend bool operator==(const FoldedName& a, const FoldedName& b) noexcept {
            return a.name.compare(b.name, Qt::CaseInsensitive) == 0;
        }
        friend size_t qHash(const FoldedName& key, size_t seed) noexcept {
            return caseFoldedHash(key.name, seed);
        }
    };

    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    Section& addSection(QString name);
    void addEntry(Section& section, Entry entry);
    void clear();

    QString m_path;
    QString m_text; // the decoded file; never changed while entries refer into it
    QList<Section> m_sections;
    QList<Entry> m_entries;
    // Section name -> position in m_sections: lookups stay constant-time even in a file of a
    // million sections.
    QHash<FoldedName, qsizetype> m_sectionIndex;
    bool m_memoryOnly = false;
};
