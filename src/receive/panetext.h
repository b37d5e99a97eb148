#pragma once

// PaneText: everything the read pane shows since it was last cleared, kept compact.
// Bytes shown in a digit view are kept as the bytes themselves (one byte each) together with
// the view they were shown in, and turned into their digits only when read, so a capture in
// the HEX view costs about one byte per received byte rather than three characters. Other text
// is kept one byte per character while its codes are below 256, else two. Whatever is read back
// (one character, a range, or by searching) is exactly the concatenation of every text appended
// and of every byte run's rendering by HexLine, DecLine, OctLine or BinLine; appending never
// copies what is already stored.

#include "receive/readview.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

class TextMatcher;

class PaneText {
public:
    PaneText();
    ~PaneText();
    PaneText(const PaneText&) = delete;
    PaneText& operator=(const PaneText&) = delete;

    // The length in characters.
    qsizetype size() const { return m_size; }

    void appendText(QStringView text);
    // Appends `bytes` (one character per byte read) as `view` shows them: the characters
    // themselves in the ASCII view, else each one's digits and a space. A code above 255 cannot
    // come from a port; should one come, it is kept as its rendered text.
    void appendBytes(QStringView bytes, ReadView view);
    void clear();

    char16_t at(qsizetype i) const;
    // Appends the characters [from, to) to `out`.
    void appendTo(QString& out, qsizetype from, qsizetype to) const;
    QString mid(qsizetype from, qsizetype to) const;

    // Searching never builds the whole text: it goes through it a window at a time.
    // The first start in [from, limit) of a match, or -1.
    qsizetype indexOf(const TextMatcher& m, qsizetype from, qsizetype limit) const;
    // The last start in [from, limit) of a match, or -1.
    qsizetype lastIndexOf(const TextMatcher& m, qsizetype from, qsizetype limit) const;
    // Counts the matches starting in [from, limit) that do not overlap each other, from left to
    // right. `resume`, when given, gets where counting must go on once more text is appended
    // (for a limit at the end).
    qsizetype count(const TextMatcher& m, qsizetype from, qsizetype limit,
                    qsizetype* resume = nullptr) const;
    // Where `at` lies among the matches `count` counts from the start (the non-overlapping
    // chain): how many of them start before it, the last of those, and the first one starting
    // at or after it (-1 when none), found in one pass that stops there.
    struct Counted {
        qsizetype before = 0;
        qsizetype lastBefore = -1;
        qsizetype firstFrom = -1;
    };
    Counted countedAround(const TextMatcher& m, qsizetype at) const;

    // The memory the text holds, in bytes.
    qsizetype memoryUsed() const;

private:
    enum class Kind : quint8 { Narrow, Wide, Hex, Dec, Oct, Bin };
    // A run of text of one kind, stored contiguously in one chunk of the data store.
    struct Piece {
        qsizetype text; // where its characters start in the text
        qsizetype data; // where its bytes start in the data store
        qint32 bytes;
        Kind kind;
    };
    struct Window;

    void appendUnits(Kind kind, const char16_t* src, qsizetype n);
    size_t pieceAt(qsizetype pos) const;
    qsizetype pieceEnd(size_t index) const;
    const uchar* dataOf(const Piece& piece) const;
    // The byte of a digit piece that renders character `local` of it, and which of its
    // characters that is.
    void locate(const Piece& piece, qsizetype local, qsizetype& byte, int& within) const;
    // Writes the characters [from, to) of a piece of codes below 256 to `out`; returns the end.
    uchar* renderNarrow(size_t index, qsizetype from, qsizetype to, uchar* out) const;
    // Fills `window` with the characters [from, to).
    void gather(Window& window, qsizetype from, qsizetype to) const;
    template <class Found>
    void scan(const TextMatcher& m, qsizetype from, qsizetype limit, Found found) const;

    struct ChunkRelease {
        void operator()(uchar* chunk) const;
    };
    using Chunk = std::unique_ptr<uchar, ChunkRelease>;
    static Chunk newChunk();

    std::vector<Chunk> m_chunks;
    qsizetype m_dataSize = 0;
    std::vector<Piece> m_pieces;
    qsizetype m_size = 0;
};
