#include "receive/readpane.h"

#include "receive/bytecodecs.h"
#include "receive/panetext.h"
#include "receive/textmatcher.h"

#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

namespace {

constexpr char16_t kLineFeed = u'\n';
constexpr char16_t kCarriageReturn = u'\r';
constexpr char16_t kTab = u'\t';
constexpr char16_t kSpace = u' ';
constexpr char16_t kDelete = 0x7F;
constexpr int kTabColumns = 8;
// Room between the text and the viewport's edges.
constexpr int kMarginX = 4;
constexpr int kMarginTop = 2;
// A visual line never holds more characters than this, even when they are too narrow to fill
// the width (zero-width marks): painting and hit-testing walk whole lines, so a line must stay
// short whatever arrives.
constexpr qsizetype kMaxLineChars = 4096;

bool isBreak(char16_t c) {
    return c == kLineFeed || c == kCarriageReturn;
}

// Control characters other than TAB and the line breaks are drawn as a small box holding their
// short name: fonts draw them as nothing, or as an empty box at best, and no installed font can
// be relied on for the control pictures (U+2400...) either.
bool isSymbol(char16_t c) {
    return (c < 0x20 && c != kTab && !isBreak(c)) || c == kDelete;
}

QLatin1StringView symbolName(char16_t c) {
    return ControlName(c);
}

// The font a symbol's name is drawn in: smaller than the text so the box fits in a line.
QFont symbolFont(const QFont& font) {
    QFont small = font;
    if (font.pointSizeF() > 0)
        small.setPointSizeF(std::max(4.0, font.pointSizeF() * 0.7));
    else
        small.setPixelSize(std::max(6, int(font.pixelSize() * 0.7)));
    return small;
}

// Room on each side of a symbol's name inside its box, and between the box and its neighbours.
constexpr qreal kSymbolPadding = 2;
constexpr qreal kSymbolGap = 1;

bool isWordChar(char16_t c) {
    return c != kSpace && c != kTab && !isBreak(c);
}

// Advances: the width of each character in the pane's font, looked up instead of measured,
// since layout and hit-testing ask for every character they pass.
class Advances {
public:
    Advances(const QFontMetricsF& metrics, const QFontMetricsF& symbolMetrics)
        : m_metrics(metrics) {
        for (int c = 0; c < 256; ++c)
            m_latin[size_t(c)] =
                isSymbol(char16_t(c))
                    ? std::ceil(symbolMetrics.horizontalAdvance(symbolName(char16_t(c))) +
                                2 * (kSymbolPadding + kSymbolGap))
                    : m_metrics.horizontalAdvance(QChar(c));
        m_latin[kLineFeed] = m_latin[kCarriageReturn] = 0;
        m_tabStop = kTabColumns * m_latin[kSpace];
    }

    // The advance of `c` when it starts at `x` on its line (a TAB reaches the next tab stop).
    qreal of(char16_t c, qreal x) const {
        if (c < 256)
            return c == kTab ? tabAdvance(x) : m_latin[c];
        const auto found = m_other.constFind(c);
        if (found != m_other.constEnd())
            return *found;
        const qreal w = m_metrics.horizontalAdvance(QChar(c));
        m_other.insert(c, w);
        return w;
    }

    qreal spaceWidth() const { return m_latin[kSpace]; }

private:
    qreal tabAdvance(qreal x) const {
        if (m_tabStop <= 0)
            return 0;
        return (std::floor(x / m_tabStop) + 1) * m_tabStop - x;
    }

    QFontMetricsF m_metrics;
    std::array<qreal, 256> m_latin{};
    qreal m_tabStop = 0;
    mutable QHash<char16_t, qreal> m_other;
};

// The find bar: docked above the pane's text while open.
class FindBar : public QWidget {
public:
    explicit FindBar(QWidget* parent) : QWidget(parent) {
        setAutoFillBackground(true);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(4, 2, 4, 2);
        text = new QLineEdit(this);
        text->setObjectName("findText");
        text->setPlaceholderText(QStringLiteral("Find"));
        text->setClearButtonEnabled(true);
        // A search longer than this is not typed, and a bound keeps the checks at chunk edges
        // short.
        text->setMaxLength(1024);
        previous = new QToolButton(this);
        previous->setObjectName("findPrevious");
        previous->setText(QStringLiteral("Previous"));
        previous->setToolTip(QStringLiteral("Previous match (Shift+Enter)"));
        next = new QToolButton(this);
        next->setObjectName("findNext");
        next->setText(QStringLiteral("Next"));
        next->setToolTip(QStringLiteral("Next match (Enter)"));
        matchCase = new QCheckBox(QStringLiteral("Match case"), this);
        matchCase->setObjectName("findMatchCase");
        count = new QLabel(this);
        count->setObjectName("findCount");
        close = new QToolButton(this);
        close->setObjectName("findClose");
        close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
        if (close->icon().isNull()) // some styles have no such icon
            close->setText(QString(QChar(0xD7)));
        close->setToolTip(QStringLiteral("Close (Esc)"));
        close->setAutoRaise(true);
        for (QWidget* w : {static_cast<QWidget*>(text), static_cast<QWidget*>(previous),
                           static_cast<QWidget*>(next), static_cast<QWidget*>(matchCase),
                           static_cast<QWidget*>(count)})
            layout->addWidget(w);
        layout->setStretchFactor(text, 1);
        layout->addStretch(0);
        layout->addWidget(close);
        text->installEventFilter(this);
    }

    std::function<void(bool forward)> onStep;
    std::function<void()> onClose;
    QLineEdit* text;
    QToolButton* previous;
    QToolButton* next;
    QCheckBox* matchCase;
    QLabel* count;
    QToolButton* close;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return QWidget::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter && key->key() != Qt::Key_Escape)
            return QWidget::eventFilter(watched, event);
        // The bar's keys win over any window shortcut on the same keys.
        event->accept();
        if (event->type() == QEvent::KeyPress) {
            if (enter)
                onStep(!(key->modifiers() & Qt::ShiftModifier));
            else
                onClose();
        }
        return true;
    }
};

// The text is laid out in blocks of at most kBlockChars characters, each starting a visual
// line, so that each can be wrapped on its own: appending wraps only the last block, and a new
// width or font wraps at once only the blocks in view, the others in the background. Until a
// block is wrapped at the current width its number of lines is estimated from its last layout.
// The last block closes at the start of one of its visual lines, so at the width it was
// filled at the blocks join seamlessly; at another width a line may end early where a block
// ends inside a long line.
constexpr qsizetype kBlockChars = qsizetype(1) << 16;
// How many laid-out blocks besides the last are kept, with their text.
constexpr size_t kCachedBlocks = 8;
// How long one step of the background layout may take.
constexpr qint64 kLayoutStepNs = 8'000'000;

struct Block {
    qsizetype start;
    // Visual lines at the current width, exact or estimated; `hard` of them begin the text or
    // follow a break. `basisLines` were counted at `basisWidth` in the current font.
    qsizetype lines = 1;
    qsizetype hard = 1;
    qsizetype basisLines = 1;
    qreal basisWidth = 0;
    bool exact = true;
};

// A block's text and its visual lines, as offsets into that text.
struct BlockLayout {
    size_t block = 0;
    QString text;
    std::vector<qint32> starts{0};
};

} // namespace

struct ReadPane::Impl {
    explicit Impl(ReadPane* owner)
        : q(owner), advances(QFontMetricsF(owner->font()), QFontMetricsF(owner->font())) {}

    ReadPane* q;
    PaneText text;
    QFont font;
    QFont smallFont;
    Advances advances;
    int lineHeight = 1;
    qreal ascent = 0;
    qreal wrapWidth = 1;

    std::vector<Block> blocks{Block{}};
    // Lines before each block; entries below `validBefore` are up to date.
    std::vector<qsizetype> before{0};
    size_t validBefore = 1;
    // The last block, always laid out, and a few others.
    BlockLayout open;
    std::vector<std::unique_ptr<BlockLayout>> cache;
    QTimer* layoutTimer = nullptr;

    qsizetype anchor = 0;
    qsizetype position = 0;
    bool dragging = false;
    // The text position at the top of the view when it was last scrolled.
    qsizetype topText = 0;
    bool relayingOut = false;
    QColor textColor = Qt::black;
    QColor background = Qt::white;
    bool markShown = false;

    // Find: the bar's search while it is open and has text, the match it selected last, and
    // the number of matches, kept up to date as text arrives by counting on from `countResume`.
    FindBar* findBar = nullptr;
    std::optional<TextMatcher> matcher;
    qsizetype matchStart = -1;
    qsizetype matchLength = 0;
    qsizetype matchIndex = 0;
    qsizetype matchCount = 0;
    qsizetype countResume = 0;
    // The matches in view while painting.
    std::vector<std::pair<qsizetype, qsizetype>> visibleMatches;

    QScrollBar* bar() const { return q->verticalScrollBar(); }
    qsizetype selectionStart() const { return std::min(anchor, position); }
    qsizetype selectionEnd() const { return std::max(anchor, position); }

    // ---- Blocks and lines

    qsizetype blockEnd(size_t b) const {
        return b + 1 < blocks.size() ? blocks[b + 1].start : text.size();
    }

    void linesChanged(size_t b) { validBefore = std::min(validBefore, b + 1); }

    void updateBefore() {
        before.resize(blocks.size());
        for (size_t i = std::max<size_t>(validBefore, 1); i < blocks.size(); ++i)
            before[i] = before[i - 1] + blocks[i - 1].lines;
        validBefore = blocks.size();
    }

    qsizetype linesBefore(size_t b) {
        if (b >= validBefore)
            updateBefore();
        return before[b];
    }

    int lineCount() { return int(linesBefore(blocks.size() - 1) + blocks.back().lines); }

    size_t blockOfLine(qsizetype line) {
        updateBefore();
        const auto after = std::upper_bound(before.begin(), before.end(), line);
        return size_t(std::max<std::ptrdiff_t>(0, (after - before.begin()) - 1));
    }

    size_t blockOfPos(qsizetype pos) const {
        const auto after =
            std::upper_bound(blocks.begin(), blocks.end(), pos,
                             [](qsizetype p, const Block& block) { return p < block.start; });
        return size_t(std::max<std::ptrdiff_t>(0, (after - blocks.begin()) - 1));
    }

    // Wraps `text` from its last line start to its end, adding the starts of the lines that
    // follow. Every earlier line was closed by a break or by a character that did not fit, so
    // text added later cannot change it.
    void wrap(QStringView text, std::vector<qint32>& starts) const {
        const qsizetype size = text.size();
        qsizetype lineStart = starts.back();
        // A CR that ended the text was taken as a lone CR; an LF arriving next completes a
        // CR LF pair, which is one break.
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
            const qreal w = advances.of(c, x);
            if (i > lineStart && (x + w > wrapWidth || i - lineStart >= kMaxLineChars)) {
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
    void wrapClosed(BlockLayout& layout) const {
        wrap(layout.text, layout.starts);
        if (layout.starts.size() > 1 && layout.starts.back() == layout.text.size())
            layout.starts.pop_back();
    }

    // The lines of a laid-out block that begin the text or follow a break.
    static qsizetype hardLines(const BlockLayout& layout, size_t count) {
        qsizetype hard = 1;
        for (size_t i = 1; i < count; ++i)
            if (isBreak(layout.text[layout.starts[i] - 1].unicode()))
                ++hard;
        return hard;
    }

    void noteExact(size_t b, const BlockLayout& layout) {
        Block& block = blocks[b];
        const qsizetype lines = qsizetype(layout.starts.size());
        if (block.lines != lines)
            linesChanged(b);
        block.lines = block.basisLines = lines;
        block.basisWidth = wrapWidth;
        block.exact = true;
    }

    // Lays out everything appended to the last block since it was last wrapped, then closes it
    // while it is full, at the start of one of its lines.
    void wrapOpen() {
        wrap(open.text, open.starts);
        while (open.text.size() > kBlockChars) {
            const auto cut =
                std::upper_bound(open.starts.begin(), open.starts.end(), qint32(kBlockChars)) - 1;
            const qint32 at = *cut;
            if (at <= 0)
                break; // cannot happen: a line holds at most kMaxLineChars characters
            const size_t b = blocks.size() - 1;
            Block& closed = blocks[b];
            const size_t count = size_t(cut - open.starts.begin());
            closed.hard = hardLines(open, count);
            closed.lines = closed.basisLines = qsizetype(count);
            closed.basisWidth = wrapWidth;
            closed.exact = true;
            linesChanged(b);
            Block next;
            next.start = closed.start + at;
            std::vector<qint32> rest;
            rest.reserve(open.starts.size() - count);
            for (auto it = cut; it != open.starts.end(); ++it)
                rest.push_back(*it - at);
            open.text = open.text.mid(at);
            open.starts = std::move(rest);
            blocks.push_back(next);
            open.block = blocks.size() - 1;
        }
        Block& last = blocks.back();
        const qsizetype lines = qsizetype(open.starts.size());
        if (last.lines != lines)
            linesChanged(blocks.size() - 1);
        last.lines = last.basisLines = lines;
        last.basisWidth = wrapWidth;
        last.exact = true;
    }

    // Block `b` laid out at the current width (which makes its line count exact).
    const BlockLayout& layoutOf(size_t b) {
        if (b + 1 == blocks.size())
            return open;
        for (size_t i = 0; i < cache.size(); ++i) {
            if (cache[i]->block == b) {
                std::rotate(cache.begin() + qsizetype(i), cache.begin() + qsizetype(i) + 1,
                            cache.end());
                return *cache.back();
            }
        }
        auto layout = std::make_unique<BlockLayout>();
        layout->block = b;
        text.appendTo(layout->text, blocks[b].start, blockEnd(b));
        wrapClosed(*layout);
        if (!blocks[b].exact || blocks[b].lines != qsizetype(layout->starts.size())) {
            blocks[b].hard = hardLines(*layout, layout->starts.size());
            noteExact(b, *layout);
        }
        if (cache.size() >= kCachedBlocks)
            cache.erase(cache.begin());
        cache.push_back(std::move(layout));
        return *cache.back();
    }

    // Where visual line `line` of the whole text is: its block, laid out, and its index there.
    struct LineRef {
        size_t block;
        const BlockLayout* layout;
        qsizetype index;
    };

    LineRef lineRef(qsizetype line) {
        line = std::clamp<qsizetype>(line, 0, std::max(0, lineCount() - 1));
        const size_t b = blockOfLine(line);
        const qsizetype first = linesBefore(b);
        const BlockLayout& layout = layoutOf(b);
        const qsizetype index =
            std::min<qsizetype>(line - first, qsizetype(layout.starts.size()) - 1);
        return {b, &layout, index};
    }

    qsizetype lineStart(const LineRef& ref) const {
        return blocks[ref.block].start + ref.layout->starts[size_t(ref.index)];
    }

    // End of a visual line's text: the next line's start without the break between them.
    qsizetype lineEnd(const LineRef& ref) const {
        const BlockLayout& layout = *ref.layout;
        const qsizetype start = layout.starts[size_t(ref.index)];
        qsizetype end = size_t(ref.index) + 1 < layout.starts.size()
                            ? layout.starts[size_t(ref.index) + 1]
                            : layout.text.size();
        while (end > start && isBreak(layout.text[end - 1].unicode()))
            --end;
        return blocks[ref.block].start + end;
    }

    int lineOf(qsizetype pos) {
        const size_t b = blockOfPos(pos);
        const BlockLayout& layout = layoutOf(b);
        const qint32 local = qint32(pos - blocks[b].start);
        const qsizetype index =
            (std::upper_bound(layout.starts.begin(), layout.starts.end(), local) -
             layout.starts.begin()) -
            1;
        return int(linesBefore(b) + std::max<qsizetype>(0, index));
    }

    // ---- Layout after a new width or font

    void clearCache() { cache.clear(); }

    bool layoutPending() const {
        return std::any_of(blocks.begin(), blocks.end(), [](const Block& b) { return !b.exact; });
    }

    // Every closed block takes an estimate from its last layout; the last is wrapped again.
    void estimateAll(bool sameFont) {
        for (size_t b = 0; b + 1 < blocks.size(); ++b) {
            Block& block = blocks[b];
            if (sameFont && block.basisWidth > 0) {
                const qreal soft = qreal(block.basisLines - block.hard);
                block.lines =
                    block.hard + qsizetype(std::llround(soft * block.basisWidth / wrapWidth));
            }
            block.exact = false;
        }
        validBefore = 1;
        clearCache();
        open.starts.assign(1, 0);
        wrapOpen();
        if (layoutPending() && layoutTimer)
            layoutTimer->start();
    }

    // Lays out blocks whose count is an estimate for one step's time, keeping what is at the
    // top of the view (or the end, when it was in view) where it is.
    void layoutStep(qint64 budgetNs) {
        QElapsedTimer timer;
        timer.start();
        BlockLayout scratch;
        bool changed = false;
        for (size_t b = 0; b + 1 < blocks.size(); ++b) {
            if (blocks[b].exact)
                continue;
            scratch.text.clear();
            scratch.starts.assign(1, 0);
            text.appendTo(scratch.text, blocks[b].start, blockEnd(b));
            wrapClosed(scratch);
            blocks[b].hard = hardLines(scratch, scratch.starts.size());
            noteExact(b, scratch);
            changed = true;
            if (budgetNs > 0 && timer.nsecsElapsed() > budgetNs)
                break;
        }
        if (changed)
            restoreView();
        if (layoutTimer && layoutPending())
            layoutTimer->start();
    }

    // Runs `change`, which may change how many lines there are, keeping the bottom in view
    // when it was, else the text the user last scrolled to the top: remembering that position
    // rather than the line start of the moment keeps a series of resizes from creeping up the
    // text.
    template <class Change> void keepingView(Change change) {
        const bool bottom = atBottom();
        relayingOut = true;
        change();
        updateScrollRange();
        if (bottom)
            scrollToBottom();
        else
            bar()->setValue(lineOf(topText));
        relayingOut = false;
        q->viewport()->update();
    }

    // After line counts changed above the view.
    void restoreView() {
        keepingView([] {});
    }

    // Wraps everything again (new width or font).
    void relayout(bool sameFont) {
        keepingView([&] {
            wrapWidth = currentWrapWidth();
            estimateAll(sameFont);
        });
    }

    // ---- Measuring and scrolling

    void measureFont() {
        font = q->font();
        // Lines are measured one character at a time, so drawing must not kern or join them.
        font.setKerning(false);
        font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
        smallFont = symbolFont(font);
        const QFontMetricsF metrics(font, q->viewport());
        advances = Advances(metrics, QFontMetricsF(smallFont, q->viewport()));
        lineHeight = std::max(1, int(std::ceil(metrics.lineSpacing())));
        ascent = metrics.ascent();
    }

    qreal currentWrapWidth() const {
        return std::max<qreal>(1, q->viewport()->width() - 2 * kMarginX);
    }

    int visibleRows() const {
        return std::max(1, (q->viewport()->height() - kMarginTop) / lineHeight);
    }

    bool atBottom() const { return bar()->value() >= bar()->maximum(); }

    void updateScrollRange() {
        const int rows = visibleRows();
        bar()->setRange(0, std::max(0, lineCount() - rows));
        bar()->setPageStep(rows);
        bar()->setSingleStep(1);
    }

    void scrollToBottom() { bar()->setValue(bar()->maximum()); }

    bool following() const { return atBottom() && anchor == position && !dragging; }

    void setMark(bool shown) {
        if (markShown == shown)
            return;
        markShown = shown;
        q->viewport()->update();
        emit q->newDataMarkChanged(shown);
    }

    // The mark sits at the bottom middle of the viewport, in the palette's highlight colours so
    // that it reads on light and dark themes alike whatever colours the pane's text has.
    QString markText() const { return QStringLiteral("New data below"); }

    QRectF markRect() const {
        const QFontMetricsF metrics(QGuiApplication::font(), q->viewport());
        const qreal h = std::ceil(metrics.height() + 6);
        const qreal w = std::ceil(metrics.horizontalAdvance(markText()) + h + 12);
        const QRect view = q->viewport()->rect();
        return QRectF(view.center().x() - w / 2, view.bottom() + 1 - h - 6, w, h);
    }

    void paintMark(QPainter& painter) const {
        const QRectF box = markRect();
        const QPalette& palette = q->palette();
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette.color(QPalette::HighlightedText), 1));
        painter.setBrush(palette.brush(QPalette::Highlight));
        painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), box.height() / 2,
                                box.height() / 2);
        // A small arrow pointing down, drawn rather than taken from a font that may lack it.
        const qreal a = box.height() * 0.3;
        const QPointF tip(box.left() + box.height() / 2 + 2, box.center().y() + a / 2);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette.color(QPalette::HighlightedText));
        painter.drawPolygon(QPolygonF{{tip.x() - a, tip.y() - a}, {tip.x() + a, tip.y() - a}, tip});
        painter.setPen(palette.color(QPalette::HighlightedText));
        painter.setFont(QGuiApplication::font());
        painter.drawText(box.adjusted(box.height(), 0, -6, 0), Qt::AlignCenter, markText());
        painter.restore();
    }

    void noteScroll() {
        if (!relayingOut)
            topText = lineStart(lineRef(bar()->value()));
    }

    // The text position under a viewport point: the nearest character boundary, or with
    // `nearest` false the character whose box holds the point.
    qsizetype positionAt(QPoint point, bool nearest = true) {
        const int row = int(std::floor(qreal(point.y() - kMarginTop) / lineHeight));
        const int line = bar()->value() + row;
        if (line < 0)
            return 0;
        if (line >= lineCount())
            return text.size();
        const LineRef ref = lineRef(line);
        const qsizetype base = blocks[ref.block].start;
        const qsizetype end = lineEnd(ref) - base;
        const QString& chars = ref.layout->text;
        qreal x = 0;
        const qreal target = point.x() - kMarginX;
        for (qsizetype i = ref.layout->starts[size_t(ref.index)]; i < end; ++i) {
            const qreal w = advances.of(chars[i].unicode(), x);
            if (target < x + (nearest ? w / 2 : w))
                return base + i;
            x += w;
        }
        return base + end;
    }

    // A word is looked for within its block, so a double click never walks a huge text.
    void selectWordAt(qsizetype pos) {
        anchor = position = pos;
        if (pos >= text.size())
            return;
        const size_t b = blockOfPos(pos);
        const BlockLayout& layout = layoutOf(b);
        const QString& chars = layout.text;
        const qsizetype local = pos - blocks[b].start;
        if (!isWordChar(chars[local].unicode()))
            return;
        qsizetype from = local;
        while (from > 0 && isWordChar(chars[from - 1].unicode()))
            --from;
        qsizetype to = local;
        while (to < chars.size() && isWordChar(chars[to].unicode()))
            ++to;
        anchor = blocks[b].start + from;
        position = blocks[b].start + to;
    }

    bool currentMatchSelected() const {
        return matchStart >= 0 && anchor == matchStart && position == matchStart + matchLength;
    }

    qsizetype find(const TextMatcher& m, qsizetype from, bool forward) const {
        if (m.size() == 0)
            return -1;
        const qsizetype size = text.size();
        from = std::clamp<qsizetype>(from, 0, size);
        if (forward) {
            const qsizetype p = text.indexOf(m, from, size);
            return p >= 0 ? p : text.indexOf(m, 0, from);
        }
        const qsizetype p = text.lastIndexOf(m, 0, from);
        return p >= 0 ? p : text.lastIndexOf(m, from, size);
    }

    // The find bar's match nearest `from` in the direction asked (wrapping round) with its
    // number: always one of those the count counts. Where matches overlap ("00 00" in
    // "00 00 00"), only the chain taken from the start without overlaps is stepped through, so
    // "k of n" never passes n. One pass from the start, stopping at `from` where it can.
    std::pair<qsizetype, qsizetype> findCounted(qsizetype from, bool forward) const {
        const TextMatcher& m = *matcher;
        const PaneText::Counted here =
            text.countedAround(m, std::clamp<qsizetype>(from, 0, text.size()));
        if (forward) {
            if (here.firstFrom >= 0)
                return {here.firstFrom, here.before + 1};
            const qsizetype first = text.indexOf(m, 0, text.size());
            return {first, first >= 0 ? 1 : 0};
        }
        if (here.lastBefore >= 0)
            return {here.lastBefore, here.before};
        const PaneText::Counted all = text.countedAround(m, text.size());
        return {all.lastBefore, all.before};
    }

    void updateCountLabel() {
        if (!findBar)
            return;
        QString shown;
        if (matcher && matchCount == 0)
            shown = QStringLiteral("No matches");
        else if (matcher && currentMatchSelected())
            shown = QStringLiteral("%1 of %2").arg(matchIndex).arg(matchCount);
        else if (matcher)
            shown = matchCount == 1 ? QStringLiteral("1 match")
                                    : QStringLiteral("%1 matches").arg(matchCount);
        findBar->count->setText(shown);
    }

    void scrollIntoView(qsizetype pos) {
        const int line = lineOf(pos);
        const int first = bar()->value();
        const int rows = visibleRows();
        if (line < first || line >= first + rows)
            bar()->setValue(line - rows / 3);
    }

    // Selects the match at `p` (none when -1) as the current one, numbered `index`.
    void selectMatch(qsizetype p, qsizetype index) {
        matchStart = p;
        if (p >= 0) {
            matchLength = matcher->size();
            matchIndex = index;
            anchor = p;
            position = p + matchLength;
            dragging = false;
            scrollIntoView(p);
        }
        updateCountLabel();
        q->viewport()->update();
    }

    // The text or the case setting of the bar changed: counts again and selects the first
    // match from where the current one (or the selection) starts, so typing on extends it.
    void restartSearch() {
        const qsizetype from = currentMatchSelected() ? matchStart : selectionStart();
        const QString needle = findBar->text->text();
        matchStart = -1;
        matchCount = 0;
        if (needle.isEmpty()) {
            matcher.reset();
            updateCountLabel();
            q->viewport()->update();
            return;
        }
        matcher.emplace(needle,
                        findBar->matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
        matchCount = text.count(*matcher, 0, text.size(), &countResume);
        const auto [p, index] = findCounted(from, true);
        selectMatch(p, index);
    }

    void step(bool forward) {
        if (!matcher)
            return;
        const bool current = currentMatchSelected();
        std::pair<qsizetype, qsizetype> found;
        if (forward && current) {
            // After a counted match the next counted one is simply the next match: no count
            // from the start is needed.
            const qsizetype p = text.indexOf(*matcher, matchStart + matcher->size(), text.size());
            found = p >= 0 ? std::pair{p, matchIndex + 1}
                           : std::pair{text.indexOf(*matcher, 0, text.size()), qsizetype(1)};
        } else {
            found = findCounted(forward ? selectionEnd() : selectionStart(), forward);
        }
        selectMatch(found.first, found.first >= 0 ? found.second : 0);
    }

    void closeFindBar() {
        findBar->hide();
        matcher.reset();
        q->setViewportMargins(0, 0, 0, 0);
        q->setFocus();
        q->viewport()->update();
    }

    void placeFindBar() {
        if (!findBar || findBar->isHidden())
            return;
        const QRect view = q->viewport()->geometry();
        const int h = findBar->sizeHint().height();
        findBar->setGeometry(view.left(), view.top() - h, view.width(), h);
    }

    void findVisibleMatches(qsizetype from, qsizetype to) {
        visibleMatches.clear();
        if (!matcher)
            return;
        const qsizetype n = matcher->size();
        for (qsizetype p = text.indexOf(*matcher, std::max<qsizetype>(0, from - n + 1), to); p >= 0;
             p = text.indexOf(*matcher, p + n, to))
            visibleMatches.emplace_back(p, p + n);
    }

    void paintSymbol(QPainter& painter, const QRectF& cell, char16_t c,
                     const QColor& colour) const {
        const QFontMetricsF metrics(smallFont, q->viewport());
        const qreal h = std::min<qreal>(lineHeight - 2, std::ceil(metrics.height()) + 1);
        const QRectF box(cell.left() + kSymbolGap, cell.top() + (cell.height() - h) / 2,
                         cell.width() - 2 * kSymbolGap, h);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        QColor border = colour;
        border.setAlphaF(0.6f);
        painter.setPen(QPen(border, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        painter.setPen(colour);
        painter.setFont(smallFont);
        painter.drawText(box, Qt::AlignCenter, symbolName(c));
        painter.restore();
    }

    void paintLine(QPainter& painter, const LineRef& ref, int top) const {
        const qsizetype base = blocks[ref.block].start;
        const qsizetype start = lineStart(ref);
        const qsizetype end = lineEnd(ref);
        const QString& chars = ref.layout->text;
        const qsizetype selFrom = selectionStart();
        const qsizetype selTo = selectionEnd();
        const QPalette& palette = q->palette();
        const qreal baseline = top + ascent;
        // Matches are marked in a fixed light amber with dark text, unlike the selection and
        // legible whatever colours the pane has been given.
        enum Style { Plain, Match, Selected };
        const QColor matchBackground(255, 214, 90);
        const QColor matchText(Qt::black);
        auto match = std::lower_bound(visibleMatches.begin(), visibleMatches.end(), start,
                                      [](const std::pair<qsizetype, qsizetype>& m, qsizetype pos) {
                                          return m.second <= pos;
                                      });
        const auto styleOf = [&](qsizetype i) {
            if (i >= selFrom && i < selTo)
                return Selected;
            while (match != visibleMatches.end() && match->second <= i)
                ++match;
            return match != visibleMatches.end() && match->first <= i ? Match : Plain;
        };
        const auto penFor = [&](Style style) {
            return style == Selected ? palette.color(QPalette::HighlightedText)
                   : style == Match  ? matchText
                                     : textColor;
        };

        // Draws the text in runs that end at a TAB, a symbol or a selection edge, each at the
        // position the layout measured, so the picture matches wrapping and hit-testing.
        QString run;
        run.reserve(end - start);
        qreal x = kMarginX;
        qreal runX = x;
        Style runStyle = Plain;
        const auto flush = [&] {
            if (runStyle == Selected)
                painter.fillRect(QRectF(runX, top, x - runX, lineHeight),
                                 palette.brush(QPalette::Highlight));
            else if (runStyle == Match)
                painter.fillRect(QRectF(runX, top, x - runX, lineHeight), matchBackground);
            if (!run.isEmpty()) {
                painter.setPen(penFor(runStyle));
                painter.drawText(QPointF(runX, baseline), run);
                run.clear();
            }
            runX = x;
        };
        for (qsizetype i = start; i < end; ++i) {
            const char16_t c = chars[i - base].unicode();
            const Style style = styleOf(i);
            const bool symbol = isSymbol(c);
            if (style != runStyle || c == kTab || symbol) {
                flush();
                runStyle = style;
            }
            x += advances.of(c, x - kMarginX);
            if (symbol) {
                const QRectF cell(runX, top, x - runX, lineHeight);
                flush();
                paintSymbol(painter, cell, c, penFor(style));
            } else if (c == kTab) {
                flush();
            } else {
                run.append(QChar(c));
            }
        }
        flush();
        // A selected line break shows as a selected space after the line.
        const bool hasBreak = end - base < chars.size() && isBreak(chars[end - base].unicode());
        if (hasBreak && selFrom <= end && selTo > end)
            painter.fillRect(QRectF(x, top, advances.spaceWidth(), lineHeight),
                             palette.brush(QPalette::Highlight));
    }

    void appended(qsizetype from);
};

ReadPane::ReadPane(QWidget* parent) : QAbstractScrollArea(parent), d(std::make_unique<Impl>(this)) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    // The pane paints its whole background itself.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    d->layoutTimer = new QTimer(this);
    d->layoutTimer->setSingleShot(true);
    d->layoutTimer->setInterval(0);
    connect(d->layoutTimer, &QTimer::timeout, this, [this] { d->layoutStep(kLayoutStepNs); });
    d->measureFont();
    d->wrapWidth = d->currentWrapWidth();
    d->updateScrollRange();
}

ReadPane::~ReadPane() = default;

void ReadPane::appendText(QStringView text) {
    if (text.isEmpty())
        return;
    const qsizetype from = d->text.size();
    d->text.appendText(text);
    d->appended(from);
}

void ReadPane::appendBytes(QStringView bytes, ReadView view) {
    if (bytes.isEmpty())
        return;
    const qsizetype from = d->text.size();
    d->text.appendBytes(bytes, view);
    d->appended(from);
}

void ReadPane::Impl::appended(qsizetype from) {
    const bool follow = following();
    // A block's worth at a time, so that a large append never builds its whole rendering and
    // closing a block moves at most a block's worth of text.
    for (qsizetype at = from; at < text.size(); at += kBlockChars) {
        text.appendTo(open.text, at, std::min(text.size(), at + kBlockChars));
        wrapOpen();
    }
    updateScrollRange();
    if (follow) {
        anchor = position = text.size();
        scrollToBottom();
    } else if (!atBottom()) {
        setMark(true);
    }
    if (matcher) {
        matchCount += text.count(*matcher, countResume, text.size(), &countResume);
        updateCountLabel();
    }
    q->viewport()->update();
}

void ReadPane::clear() {
    d->text.clear();
    d->layoutTimer->stop();
    d->blocks.assign(1, Block{});
    d->validBefore = 1;
    d->open = BlockLayout{};
    d->clearCache();
    d->anchor = d->position = 0;
    d->dragging = false;
    d->topText = 0;
    d->updateScrollRange();
    d->bar()->setValue(0);
    d->setMark(false);
    d->matchStart = -1;
    d->matchCount = 0;
    d->countResume = 0;
    d->updateCountLabel();
    viewport()->update();
}

qsizetype ReadPane::find(const QString& needle, qsizetype from, bool forward,
                         Qt::CaseSensitivity cs) const {
    return d->find(TextMatcher(needle, cs), from, forward);
}

qsizetype ReadPane::countMatches(const QString& needle, Qt::CaseSensitivity cs) const {
    const TextMatcher m(needle, cs);
    return m.size() == 0 ? 0 : d->text.count(m, 0, d->text.size());
}

void ReadPane::showFindBar() {
    if (!d->findBar) {
        d->findBar = new FindBar(this);
        FindBar* bar = d->findBar;
        bar->onStep = [this](bool forward) { d->step(forward); };
        bar->onClose = [this] { d->closeFindBar(); };
        connect(bar->text, &QLineEdit::textChanged, this, [this] { d->restartSearch(); });
        connect(bar->matchCase, &QCheckBox::toggled, this, [this] { d->restartSearch(); });
        connect(bar->next, &QToolButton::clicked, this, [this] { d->step(true); });
        connect(bar->previous, &QToolButton::clicked, this, [this] { d->step(false); });
        connect(bar->close, &QToolButton::clicked, this, [this] { d->closeFindBar(); });
    }
    if (d->findBar->isHidden()) {
        d->findBar->show();
        setViewportMargins(0, d->findBar->sizeHint().height(), 0, 0);
        d->placeFindBar();
        if (!d->findBar->text->text().isEmpty())
            d->restartSearch();
    }
    d->findBar->text->setFocus();
    d->findBar->text->selectAll();
}

bool ReadPane::isFindBarVisible() const {
    return d->findBar && !d->findBar->isHidden();
}

bool ReadPane::isFollowing() const {
    return d->following();
}

bool ReadPane::isNewDataMarkShown() const {
    return d->markShown;
}

void ReadPane::followEnd() {
    d->anchor = d->position = d->text.size();
    d->dragging = false;
    d->scrollToBottom();
    d->setMark(false);
    viewport()->update();
}

QString ReadPane::toPlainText() const {
    return d->text.mid(0, d->text.size());
}

QString ReadPane::textBetween(qsizetype from, qsizetype to) const {
    return d->text.mid(from, to);
}

qsizetype ReadPane::length() const {
    return d->text.size();
}

qsizetype ReadPane::cursorPosition() const {
    return d->position;
}

void ReadPane::setSelection(qsizetype anchor, qsizetype position) {
    d->anchor = std::clamp<qsizetype>(anchor, 0, d->text.size());
    d->position = std::clamp<qsizetype>(position, 0, d->text.size());
    viewport()->update();
}

void ReadPane::selectAll() {
    setSelection(0, d->text.size());
}

bool ReadPane::hasSelection() const {
    return d->anchor != d->position;
}

QString ReadPane::selectedText() const {
    return d->text.mid(d->selectionStart(), d->selectionEnd());
}

void ReadPane::copy() {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void ReadPane::setTextColor(const QColor& color) {
    d->textColor = color;
    viewport()->update();
}

QColor ReadPane::textColor() const {
    return d->textColor;
}

void ReadPane::setBackgroundColor(const QColor& color) {
    d->background = color;
    viewport()->update();
}

QColor ReadPane::backgroundColor() const {
    return d->background;
}

int ReadPane::visualLineCount() const {
    return d->lineCount();
}

std::pair<qsizetype, qsizetype> ReadPane::visualLine(int index) const {
    const Impl::LineRef ref = d->lineRef(index);
    return {d->lineStart(ref), d->lineEnd(ref)};
}

bool ReadPane::isLayoutPending() const {
    return d->layoutPending();
}

void ReadPane::finishLayout() {
    d->layoutStep(0);
}

qsizetype ReadPane::memoryUsed() const {
    qsizetype cached = 0;
    for (const auto& layout : d->cache)
        cached += layout->text.capacity() * 2 + qsizetype(layout->starts.capacity() * 4);
    return d->text.memoryUsed() + qsizetype(d->blocks.capacity() * sizeof(Block)) +
           qsizetype(d->before.capacity() * sizeof(qsizetype)) + d->open.text.capacity() * 2 +
           qsizetype(d->open.starts.capacity() * 4) + cached;
}

QString ReadPane::displayText(int index) const {
    const auto [start, end] = visualLine(index);
    QString shown = d->text.mid(start, end);
    for (QChar& c : shown) {
        if (isSymbol(c.unicode()))
            c = QChar(c.unicode() == kDelete ? 0x2421 : 0x2400 + c.unicode());
    }
    return shown;
}

qreal ReadPane::symbolWidth(QChar c) const {
    return isSymbol(c.unicode()) ? d->advances.of(c.unicode(), 0) : 0;
}

qreal ReadPane::wrapWidth() const {
    return d->wrapWidth;
}

int ReadPane::firstVisibleLine() const {
    return d->bar()->value();
}

bool ReadPane::isScrolledToBottom() const {
    return d->atBottom();
}

bool ReadPane::event(QEvent* event) {
    // Copy and Select All belong to the pane while it has focus, even when a window action
    // uses the same keys.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key == QKeySequence::Copy || key == QKeySequence::SelectAll ||
            key == QKeySequence::Find || (key->key() == Qt::Key_Escape && isFindBarVisible())) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void ReadPane::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    painter.fillRect(area, d->background);
    painter.setFont(d->font);
    const int first = d->bar()->value();
    const int fromRow = std::max(0, (area.top() - kMarginTop) / d->lineHeight);
    const int toRow = (area.bottom() - kMarginTop) / d->lineHeight;
    // Laying out a block in view can only change the count of lines after the first in view,
    // so the rows are looked up one at a time.
    d->visibleMatches.clear();
    const int last = std::min(d->lineCount() - 1, first + toRow);
    if (d->matcher && first + fromRow <= last)
        d->findVisibleMatches(d->lineStart(d->lineRef(first + fromRow)),
                              d->lineEnd(d->lineRef(last)));
    for (int row = fromRow; row <= toRow && first + row < d->lineCount(); ++row)
        d->paintLine(painter, d->lineRef(first + row), kMarginTop + row * d->lineHeight);
    if (d->markShown)
        d->paintMark(painter);
    if (d->bar()->maximum() != std::max(0, d->lineCount() - d->visibleRows()))
        QTimer::singleShot(0, this, [this] { d->restoreView(); });
}

void ReadPane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    d->placeFindBar();
    if (d->currentWrapWidth() != d->wrapWidth) {
        d->relayout(true);
        return;
    }
    const bool bottom = d->atBottom();
    d->updateScrollRange();
    if (bottom)
        d->scrollToBottom();
    if (d->atBottom())
        d->setMark(false);
}

void ReadPane::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        d->measureFont();
        d->relayout(false);
    } else if (event->type() == QEvent::PaletteChange) {
        viewport()->update();
    }
}

void ReadPane::keyPressEvent(QKeyEvent* event) {
    QScrollBar* bar = d->bar();
    if (event == QKeySequence::Copy)
        copy();
    else if (event == QKeySequence::Find)
        showFindBar();
    else if (event == QKeySequence::FindNext || event == QKeySequence::FindPrevious)
        d->step(event == QKeySequence::FindNext);
    else if (event->key() == Qt::Key_Escape && isFindBarVisible())
        d->closeFindBar();
    else if (event == QKeySequence::SelectAll)
        selectAll();
    else if (event == QKeySequence::MoveToStartOfDocument)
        bar->setValue(0);
    else if (event == QKeySequence::MoveToEndOfDocument || event->key() == Qt::Key_End)
        followEnd();
    else if (event->key() == Qt::Key_PageUp)
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    else if (event->key() == Qt::Key_PageDown)
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    else if (event->key() == Qt::Key_Up)
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (event->key() == Qt::Key_Down)
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else
        event->ignore(); // read-only: typing and editing keys go on to the parent
}

void ReadPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (d->markShown && d->markRect().contains(event->position())) {
        followEnd();
        return;
    }
    const qsizetype pos = d->positionAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        d->anchor = pos;
    d->position = pos;
    d->dragging = true;
    viewport()->update();
}

void ReadPane::mouseMoveEvent(QMouseEvent* event) {
    if (!d->dragging || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    // Dragging past an edge scrolls a line per move so the selection can reach beyond the view.
    if (point.y() < 0)
        d->bar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() >= viewport()->height())
        d->bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    d->position = d->positionAt(point);
    viewport()->update();
}

void ReadPane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    d->dragging = false;
    // The X11 primary selection, for pasting with the middle button elsewhere.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void ReadPane::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    d->selectWordAt(d->positionAt(event->position().toPoint(), false));
    d->dragging = false;
    viewport()->update();
}

void ReadPane::scrollContentsBy(int, int) {
    d->noteScroll();
    if (d->atBottom())
        d->setMark(false);
    viewport()->update();
}
