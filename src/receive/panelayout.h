#pragma once

// PaneLayout: the read pane's text cut into visual lines at a width.
// A line ends at LF, CR LF or a lone CR; a longer one wraps after the last space that fits,
// else before the character that does not fit, and never holds more than a few thousand
// characters. The text is laid out in blocks of 64 Ki characters, each starting a visual line,
// so that each can be wrapped on its own: appending wraps only the last block, and a new width
// or font wraps at once only the blocks asked for, the others when layoutStep() gets to them.
// Until a block is wrapped at the current width its number of lines is estimated from its last
// layout. The last block closes at the start of one of its visual lines, so at the width it
// was filled at the blocks join seamlessly; at another width a line may end early where a
// block ends inside a long line.

#include <QString>

#include <algorithm>
#include <memory>
#include <vector>

class PaneGlyphs;
class PaneText;

class PaneLayout {
public:
    // A block's text and its visual lines, as offsets into that text.
    struct BlockLayout {
        size_t block = 0;
        QString text;
        std::vector<qint32> starts{0};
    };
    // Where one visual line is: its block, laid out, and its index there.
    struct LineRef {
        size_t block;
        const BlockLayout* layout;
        qsizetype index;
    };

    // Lays out `text` as `glyphs` measure it; both must outlive the layout.
    PaneLayout(const PaneText& text, const PaneGlyphs& glyphs);
    ~PaneLayout();
    PaneLayout(const PaneLayout&) = delete;
    PaneLayout& operator=(const PaneLayout&) = delete;

    // Lays out what the text got after its first `from` characters.
    void appended(qsizetype from);
    // Forgets every line (the text was cleared).
    void clear();
    // Wraps again at `width` (new width, or new glyphs when `sameFont` is false): the last
    // block at once, the others estimated until laid out.
    void rewrap(qreal width, bool sameFont);
    qreal wrapWidth() const { return m_wrapWidth; }
    // Whether some block's line count is still an estimate.
    bool isPending() const;
    // Lays out estimated blocks until `budgetNs` has passed (all of them when 0); whether any
    // line count may have changed.
    bool layoutStep(qint64 budgetNs);

    int lineCount();
    LineRef lineRef(qsizetype line);
    // Where a block's text starts in the whole text.
    qsizetype blockStart(size_t block) const { return m_blocks[block].start; }
    qsizetype lineStart(const LineRef& ref) const;
    // End of a visual line's text: the next line's start without the break between them.
    qsizetype lineEnd(const LineRef& ref) const;
    // The visual line holding text position `pos`.
    int lineOf(qsizetype pos);
    // The laid-out block holding text position `pos`.
    const BlockLayout& blockAt(qsizetype pos);

    // The memory the layout holds, in bytes.
    qsizetype memoryUsed() const;

private:
    struct Block {
        qsizetype start = 0;
        // Visual lines at the current width, exact or estimated; `hard` of them begin the text
        // or follow a break. `basisLines` were counted at `basisWidth` in the current font.
        qsizetype lines = 1;
        qsizetype hard = 1;
        qsizetype basisLines = 1;
        qreal basisWidth = 0;
        bool exact = true;
    };

    qsizetype blockEnd(size_t b) const;
    void linesChanged(size_t b) { m_validBefore = std::min(m_validBefore, b + 1); }
    void updateBefore();
    qsizetype linesBefore(size_t b);
    size_t blockOfLine(qsizetype line);
    size_t blockOfPos(qsizetype pos) const;
    void wrap(QStringView text, std::vector<qint32>& starts) const;
    void wrapClosed(BlockLayout& layout) const;
    static qsizetype hardLines(const BlockLayout& layout, size_t count);
    void noteExact(size_t b, const BlockLayout& layout);
    void wrapOpen();
    const BlockLayout& layoutOf(size_t b);

    const PaneText& m_text;
    const PaneGlyphs& m_glyphs;
    qreal m_wrapWidth = 1;
    std::vector<Block> m_blocks{Block{}};
    // Lines before each block; entries below `m_validBefore` are up to date.
    std::vector<qsizetype> m_before{0};
    size_t m_validBefore = 1;
    // The last block, always laid out, and a few others.
    BlockLayout m_open;
    std::vector<std::unique_ptr<BlockLayout>> m_cache;
};
