#include "receive/panelayout.h"

#include "receive/paneglyphs.h"
#include "receive/panetext.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr char16_t kLineFeed = u'\n';
constexpr char16_t kCarriageReturn = u'\r';
constexpr char16_t kSpace = u' ';
// A visual line never holds more characters than this, even when they are too narrow to fill
// the width (zero-width marks): painting and hit-testing walk whole lines, so a line must stay
// short whatever arrives.
constexpr qsizetype kMaxLineChars = 4096;
constexpr qsizetype kBlockChars = qsizetype(1) << 16;
// How many laid-out blocks besides the last are kept, with their text.
constexpr size_t kCachedBlocks = 8;

bool isBreak(char16_t c) {
    return PaneGlyphs::isLineBreak(c);
}

} // namespace

PaneLayout::PaneLayout(const PaneText& text, const PaneGlyphs& glyphs)
    : m_text(text), m_glyphs(glyphs) {}

PaneLayout::~PaneLayout() = default;

qsizetype PaneLayout::blockEnd(size_t b) const {
    return b + 1 < m_blocks.size() ? m_blocks[b + 1].start : m_text.size();
}

void PaneLayout::updateBefore() {
    m_before.resize(m_blocks.size());
    for (size_t i = std::max<size_t>(m_validBefore, 1); i < m_blocks.size(); ++i)
        m_before[i] = m_before[i - 1] + m_blocks[i - 1].lines;
    m_validBefore = m_blocks.size();
}

qsizetype PaneLayout::linesBefore(size_t b) {
    if (b >= m_validBefore)
        updateBefore();
    return m_before[b];
}

int PaneLayout::lineCount() {
    return int(linesBefore(m_blocks.size() - 1) + m_blocks.back().lines);
}

size_t PaneLayout::blockOfLine(qsizetype line) {
    updateBefore();
    const auto after = std::upper_bound(m_before.begin(), m_before.end(), line);
    return size_t(std::max<std::ptrdiff_t>(0, (after - m_before.begin()) - 1));
}

size_t PaneLayout::blockOfPos(qsizetype pos) const {
    const auto after =
        std::upper_bound(m_blocks.begin(), m_blocks.end(), pos,
                         [](qsizetype p, const Block& block) { return p < block.start; });
    return size_t(std::max<std::ptrdiff_t>(0, (after - m_blocks.begin()) - 1));
}

// Wraps `text` from its last line start to its end, adding the starts of the lines that
// follow. Every earlier line was closed by a break or by a character that did not fit, so text
// added later cannot change it.
void PaneLayout::wrap(QStringView text, std::vector<qint32>& starts) const {
    const qsizetype size = text.size();
    qsizetype lineStart = starts.back();
    // A CR that ended the text was taken as a lone CR; an LF arriving next completes a CR LF
    // pair, which is one break.
    if (lineStart > 0 && lineStart < size && text[lineStart - 1] == kCarriageReturn &&
        text[lineStart] == QChar(kLineFeed))
        starts.back() = qint32(++lineStart);
    qreal x = 0;
    qsizetype afterSpace = -1;
    qsizetype i = lineStart;
    const char16_t* chars = text.utf16();
    while (i < size) {
        const char16_t c = chars[i];
        if (isBreak(c)) {
            ++i;
            if (c == kCarriageReturn && i < size && chars[i] == kLineFeed)
                ++i;
            starts.push_back(qint32(i));
            lineStart = i;
            x = 0;
            afterSpace = -1;
            continue;
        }
        const qreal w = m_glyphs.advance(c, x);
        if (i > lineStart && (x + w > m_wrapWidth || i - lineStart >= kMaxLineChars)) {
            // Break after the last space that fit, else before the character that did not.
            lineStart = afterSpace > lineStart ? afterSpace : i;
            starts.push_back(qint32(lineStart));
            i = lineStart;
            x = 0;
            afterSpace = -1;
            continue;
        }
        x += w;
        ++i;
        if (c == kSpace)
            afterSpace = i;
    }
}

// Lays out a block that is followed by another: a break at its end starts the next block's
// first line, not a line of its own.
void PaneLayout::wrapClosed(BlockLayout& layout) const {
    wrap(layout.text, layout.starts);
    if (layout.starts.size() > 1 && layout.starts.back() == layout.text.size())
        layout.starts.pop_back();
}

// The lines of a laid-out block that begin the text or follow a break.
qsizetype PaneLayout::hardLines(const BlockLayout& layout, size_t count) {
    qsizetype hard = 1;
    for (size_t i = 1; i < count; ++i)
        if (isBreak(layout.text[layout.starts[i] - 1].unicode()))
            ++hard;
    return hard;
}

void PaneLayout::noteExact(size_t b, const BlockLayout& layout) {
    Block& block = m_blocks[b];
    const qsizetype lines = qsizetype(layout.starts.size());
    if (block.lines != lines)
        linesChanged(b);
    block.lines = block.basisLines = lines;
    block.basisWidth = m_wrapWidth;
    block.exact = true;
}

// Lays out everything appended to the last block since it was last wrapped, then closes it
// while it is full, at the start of one of its lines.
void PaneLayout::wrapOpen() {
    wrap(m_open.text, m_open.starts);
    while (m_open.text.size() > kBlockChars) {
        const auto cut =
            std::upper_bound(m_open.starts.begin(), m_open.starts.end(), qint32(kBlockChars)) - 1;
        const qint32 at = *cut;
        if (at <= 0)
            break; // cannot happen: a line holds at most kMaxLineChars characters
        const size_t b = m_blocks.size() - 1;
        Block& closed = m_blocks[b];
        const size_t count = size_t(cut - m_open.starts.begin());
        closed.hard = hardLines(m_open, count);
        closed.lines = closed.basisLines = qsizetype(count);
        closed.basisWidth = m_wrapWidth;
        closed.exact = true;
        linesChanged(b);
        Block next;
        next.start = closed.start + at;
        std::vector<qint32> rest;
        rest.reserve(m_open.starts.size() - count);
        for (auto it = cut; it != m_open.starts.end(); ++it)
            rest.push_back(*it - at);
        m_open.text = m_open.text.mid(at);
        m_open.starts = std::move(rest);
        m_blocks.push_back(next);
        m_open.block = m_blocks.size() - 1;
    }
    Block& last = m_blocks.back();
    const qsizetype lines = qsizetype(m_open.starts.size());
    if (last.lines != lines)
        linesChanged(m_blocks.size() - 1);
    last.lines = last.basisLines = lines;
    last.basisWidth = m_wrapWidth;
    last.exact = true;
}

void PaneLayout::appended(qsizetype from) {
    // A block's worth at a time, so that a large append never builds its whole rendering and
    // closing a block moves at most a block's worth of text.
    for (qsizetype at = from; at < m_text.size(); at += kBlockChars) {
        m_text.appendTo(m_open.text, at, std::min(m_text.size(), at + kBlockChars));
        wrapOpen();
    }
}

void PaneLayout::clear() {
    m_blocks.assign(1, Block{});
    m_validBefore = 1;
    m_open = BlockLayout{};
    m_cache.clear();
}

// Block `b` laid out at the current width (which makes its line count exact).
const PaneLayout::BlockLayout& PaneLayout::layoutOf(size_t b) {
    if (b + 1 == m_blocks.size())
        return m_open;
    for (size_t i = 0; i < m_cache.size(); ++i) {
        if (m_cache[i]->block == b) {
            std::rotate(m_cache.begin() + qsizetype(i), m_cache.begin() + qsizetype(i) + 1,
                        m_cache.end());
            return *m_cache.back();
        }
    }
    auto layout = std::make_unique<BlockLayout>();
    layout->block = b;
    m_text.appendTo(layout->text, m_blocks[b].start, blockEnd(b));
    wrapClosed(*layout);
    if (!m_blocks[b].exact || m_blocks[b].lines != qsizetype(layout->starts.size())) {
        m_blocks[b].hard = hardLines(*layout, layout->starts.size());
        noteExact(b, *layout);
    }
    if (m_cache.size() >= kCachedBlocks)
        m_cache.erase(m_cache.begin());
    m_cache.push_back(std::move(layout));
    return *m_cache.back();
}

PaneLayout::LineRef PaneLayout::lineRef(qsizetype line) {
    line = std::clamp<qsizetype>(line, 0, std::max(0, lineCount() - 1));
    const size_t b = blockOfLine(line);
    const qsizetype first = linesBefore(b);
    const BlockLayout& layout = layoutOf(b);
    const qsizetype index = std::min<qsizetype>(line - first, qsizetype(layout.starts.size()) - 1);
    return {b, &layout, index};
}

qsizetype PaneLayout::lineStart(const LineRef& ref) const {
    return m_blocks[ref.block].start + ref.layout->starts[size_t(ref.index)];
}

qsizetype PaneLayout::lineEnd(const LineRef& ref) const {
    const BlockLayout& layout = *ref.layout;
    const qsizetype start = layout.starts[size_t(ref.index)];
    qsizetype end = size_t(ref.index) + 1 < layout.starts.size()
                        ? layout.starts[size_t(ref.index) + 1]
                        : layout.text.size();
    while (end > start && isBreak(layout.text[end - 1].unicode()))
        --end;
    return m_blocks[ref.block].start + end;
}

int PaneLayout::lineOf(qsizetype pos) {
    const size_t b = blockOfPos(pos);
    const BlockLayout& layout = layoutOf(b);
    const qint32 local = qint32(pos - m_blocks[b].start);
    const qsizetype index = (std::upper_bound(layout.starts.begin(), layout.starts.end(), local) -
                             layout.starts.begin()) -
                            1;
    return int(linesBefore(b) + std::max<qsizetype>(0, index));
}

const PaneLayout::BlockLayout& PaneLayout::blockAt(qsizetype pos) {
    return layoutOf(blockOfPos(pos));
}

bool PaneLayout::isPending() const {
    return std::any_of(m_blocks.begin(), m_blocks.end(), [](const Block& b) { return !b.exact; });
}

// Every closed block takes an estimate from its last layout; the last is wrapped again.
void PaneLayout::rewrap(qreal width, bool sameFont) {
    m_wrapWidth = width;
    for (size_t b = 0; b + 1 < m_blocks.size(); ++b) {
        Block& block = m_blocks[b];
        if (sameFont && block.basisWidth > 0) {
            const qreal soft = qreal(block.basisLines - block.hard);
            block.lines =
                block.hard + qsizetype(std::llround(soft * block.basisWidth / m_wrapWidth));
        }
        block.exact = false;
    }
    m_validBefore = 1;
    m_cache.clear();
    m_open.starts.assign(1, 0);
    wrapOpen();
}

bool PaneLayout::layoutStep(qint64 budgetNs) {
    QElapsedTimer timer;
    timer.start();
    BlockLayout scratch;
    bool changed = false;
    for (size_t b = 0; b + 1 < m_blocks.size(); ++b) {
        if (m_blocks[b].exact)
            continue;
        scratch.text.clear();
        scratch.starts.assign(1, 0);
        m_text.appendTo(scratch.text, m_blocks[b].start, blockEnd(b));
        wrapClosed(scratch);
        m_blocks[b].hard = hardLines(scratch, scratch.starts.size());
        noteExact(b, scratch);
        changed = true;
        if (budgetNs > 0 && timer.nsecsElapsed() > budgetNs)
            break;
    }
    return changed;
}

qsizetype PaneLayout::memoryUsed() const {
    qsizetype cached = 0;
    for (const auto& layout : m_cache)
        cached += layout->text.capacity() * 2 + qsizetype(layout->starts.capacity() * 4);
    return qsizetype(m_blocks.capacity() * sizeof(Block)) +
           qsizetype(m_before.capacity() * sizeof(qsizetype)) + m_open.text.capacity() * 2 +
           qsizetype(m_open.starts.capacity() * 4) + cached;
}
