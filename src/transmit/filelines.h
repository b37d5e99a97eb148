#pragma once

// FileLines: the rows of a text file loaded for sending, one per line, kept compactly: the
// file's own bytes plus four bytes per row, so a file of hundreds of megabytes takes little
// more memory than its size. A row is decoded only when it is shown or sent. Rows edited by
// the user keep their new text beside the file's bytes.
//
// Decoding follows the rules for text files the user picks: UTF-8 when the bytes are valid
// UTF-8 (one byte-order mark skipped), else by the byte-order mark (UTF-8, UTF-16 LE or BE),
// else Latin-1; lines end at CR LF, a lone CR or a lone LF, and a break at the very end makes
// no extra line.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class FileLines {
public:
    FileLines() = default;
    // Takes the file's bytes over (no copy for UTF-8 and Latin-1 files).
    static FileLines fromBytes(QByteArray bytes);
    static FileLines fromStrings(const QStringList& rows);

    qsizetype size() const { return m_rows.size(); }
    QString at(qsizetype row) const;
    void replace(qsizetype row, const QString& text);
    void remove(qsizetype row, qsizetype count);
    QStringList toStringList() const;

private:
    static constexpr quint32 kEdited = 0x80000000u;

    QByteArray m_bytes; // UTF-8, or Latin-1 when m_latin1; rows end at the next CR or LF
    bool m_latin1 = false;
    QList<quint32> m_rows; // offset of the row in m_bytes, or kEdited | index in m_edited
    QStringList m_edited;
};

// Reading a file for the file list: only regular files, at most `maxBytes` (and never more
// than memory allows). What the list will take (the file's bytes and a few bytes a row, for
// the list and its view) must fit `memoryBudget`: a file of many empty lines is refused
// rather than exhausting memory. -1 for either: worked out from the memory available.
struct FileLinesRead {
    bool exists = false; // false: no file at the path (nothing else is set)
    FileLines lines;
    QString error; // set when the file exists but cannot be read: ready to show
};
FileLinesRead readFileLines(const QString& path, qint64 maxBytes = -1, qint64 memoryBudget = -1);

// The memory a loaded row takes besides its text: its place in the list and in the view.
inline constexpr qint64 kFileRowMemoryBytes = 16;
