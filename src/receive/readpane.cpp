#include "receive/readpane.h"

#include <QCheckBox>
#include <QClipboard>
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
    static constexpr const char* names[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                            "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                            "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                            "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    return QLatin1StringView(c == kDelete ? "DEL" : names[c]);
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

// Matcher: a needle compared after case folding, with the tables the search needs. Narrow
// chunks are searched with Horspool's method on their bytes; everything else, and a match that
// crosses from one chunk into the next, is compared character by character.
class Matcher {
public:
    Matcher(QStringView needle, Qt::CaseSensitivity cs) : m_insensitive(cs == Qt::CaseInsensitive) {
        for (int c = 0; c < 256; ++c)
            m_fold[size_t(c)] =
                m_insensitive ? char16_t(QChar::toCaseFolded(char32_t(c))) : char16_t(c);
        m_needle.reserve(size_t(needle.size()));
        for (QChar c : needle)
            m_needle.push_back(fold(c.unicode()));
        const qsizetype n = size();
        m_shift.fill(std::max<qsizetype>(n, 1));
        if (n == 0)
            return;
        // Bytes by what they fold to, so each needle character finds the bytes that match it.
        QHash<char16_t, QVarLengthArray<uchar, 2>> bytesFor;
        for (int c = 0; c < 256; ++c)
            bytesFor[m_fold[size_t(c)]].append(uchar(c));
        for (qsizetype j = 0; j + 1 < n; ++j) {
            const auto found = bytesFor.constFind(m_needle[size_t(j)]);
            if (found != bytesFor.constEnd())
                for (uchar b : *found)
                    m_shift[b] = n - 1 - j;
        }
    }

    qsizetype size() const { return qsizetype(m_needle.size()); }

    char16_t fold(char16_t c) const {
        if (c < 256)
            return m_fold[c];
        return m_insensitive ? char16_t(QChar::toCaseFolded(char32_t(c))) : c;
    }

    // The first start in [from, to) of a match lying wholly in `h` (h[to + size() - 2] exists).
    qsizetype firstIn(const uchar* h, qsizetype from, qsizetype to) const {
        const qsizetype n = size();
        const char16_t lastChar = m_needle.back();
        for (qsizetype i = from; i < to;) {
            const uchar c = h[i + n - 1];
            if (m_fold[c] == lastChar) {
                qsizetype j = n - 2;
                while (j >= 0 && m_fold[h[i + j]] == m_needle[size_t(j)])
                    --j;
                if (j < 0)
                    return i;
            }
            i += m_shift[c];
        }
        return -1;
    }

    qsizetype firstIn(const char16_t* h, qsizetype from, qsizetype to) const {
        const qsizetype n = size();
        for (qsizetype i = from; i < to; ++i) {
            qsizetype j = 0;
            while (j < n && fold(h[i + j]) == m_needle[size_t(j)])
                ++j;
            if (j == n)
                return i;
        }
        return -1;
    }

    template <class Store> bool matchesAt(const Store& store, qsizetype at) const {
        for (qsizetype j = 0; j < size(); ++j)
            if (fold(store.at(at + j)) != m_needle[size_t(j)])
                return false;
        return true;
    }

private:
    bool m_insensitive;
    std::array<char16_t, 256> m_fold{};
    std::array<qsizetype, 256> m_shift{};
    std::vector<char16_t> m_needle;
};

// TextStore: the pane's text in fixed-size chunks. A chunk keeps one byte per character while
// every character in it is below 256 (all that a port delivers in practice) and turns into two
// bytes per character the first time one is not, so the text costs about one byte per
// character and growing it never copies what is already stored.
class TextStore {
public:
    qsizetype size() const { return m_size; }

    char16_t at(qsizetype i) const {
        const Chunk& c = m_chunks[size_t(i >> kChunkBits)];
        const qsizetype o = i & kChunkMask;
        return c.wide ? c.wide[o] : char16_t(c.narrow[o]);
    }

    void append(QStringView text) {
        const char16_t* src = text.utf16();
        qsizetype left = text.size();
        while (left > 0) {
            const qsizetype offset = m_size & kChunkMask;
            if (offset == 0)
                m_chunks.push_back(Chunk{std::unique_ptr<uchar[]>(new uchar[kChunkSize]), {}});
            Chunk& chunk = m_chunks.back();
            const qsizetype take = std::min(left, kChunkSize - offset);
            qsizetype done = 0;
            if (!chunk.wide) {
                while (done < take && src[done] < 256) {
                    chunk.narrow[offset + done] = uchar(src[done]);
                    ++done;
                }
                if (done < take)
                    widen(chunk, offset + done);
            }
            if (done < take)
                std::memcpy(chunk.wide.get() + offset + done, src + done,
                            size_t(take - done) * sizeof(char16_t));
            src += take;
            left -= take;
            m_size += take;
        }
    }

    void clear() {
        std::vector<Chunk>().swap(m_chunks);
        m_size = 0;
    }

    // Appends the characters [from, to) to `out`.
    void appendTo(QString& out, qsizetype from, qsizetype to) const {
        while (from < to) {
            const Chunk& chunk = m_chunks[size_t(from >> kChunkBits)];
            const qsizetype offset = from & kChunkMask;
            const qsizetype n = std::min(to - from, kChunkSize - offset);
            if (chunk.wide)
                out.append(reinterpret_cast<const QChar*>(chunk.wide.get() + offset), n);
            else
                out.append(
                    QLatin1String(reinterpret_cast<const char*>(chunk.narrow.get()) + offset, n));
            from += n;
        }
    }

    QString mid(qsizetype from, qsizetype to) const {
        QString out;
        out.reserve(to - from);
        appendTo(out, from, to);
        return out;
    }

    // Matches are searched chunk by chunk on the stored characters, so a search never copies
    // the text; starts near a chunk's end are checked across into the next chunk.
    // The first start in [from, limit) of a match of `m`, or -1.
    qsizetype indexOf(const Matcher& m, qsizetype from, qsizetype limit) const {
        const qsizetype n = m.size();
        if (n == 0)
            return -1;
        from = std::max<qsizetype>(from, 0);
        limit = std::min(limit, m_size - n + 1);
        while (from < limit) {
            const Chunk& chunk = m_chunks[size_t(from >> kChunkBits)];
            const qsizetype chunkStart = from & ~kChunkMask;
            const qsizetype chunkEnd = std::min(chunkStart + kChunkSize, m_size);
            // Starts whose match ends inside this chunk, then those whose match runs on.
            const qsizetype inside = std::min(limit, chunkEnd - n + 1);
            if (from < inside) {
                const qsizetype a = from - chunkStart, b = inside - chunkStart;
                const qsizetype found = chunk.wide ? m.firstIn(chunk.wide.get(), a, b)
                                                   : m.firstIn(chunk.narrow.get(), a, b);
                if (found >= 0)
                    return chunkStart + found;
                from = inside;
            }
            for (const qsizetype end = std::min(limit, chunkEnd); from < end; ++from)
                if (m.matchesAt(*this, from))
                    return from;
        }
        return -1;
    }

    // The last start in [from, limit) of a match of `m`, or -1.
    qsizetype lastIndexOf(const Matcher& m, qsizetype from, qsizetype limit) const {
        const qsizetype n = m.size();
        if (n == 0)
            return -1;
        from = std::max<qsizetype>(from, 0);
        limit = std::min(limit, m_size - n + 1);
        while (limit > from) {
            const qsizetype chunkStart = std::max(from, (limit - 1) & ~kChunkMask);
            // Searching forward within one chunk's worth of starts costs at most one chunk.
            qsizetype last = -1;
            for (qsizetype p = indexOf(m, chunkStart, limit); p >= 0; p = indexOf(m, p + 1, limit))
                last = p;
            if (last >= 0)
                return last;
            limit = chunkStart;
        }
        return -1;
    }

    // Counts the matches of `m` starting in [from, size()) that do not overlap each other, from
    // left to right. `resume` gets where counting must go on once more text is appended.
    qsizetype countFrom(const Matcher& m, qsizetype from, qsizetype& resume) const {
        qsizetype count = 0;
        for (qsizetype p = indexOf(m, from, m_size); p >= 0; p = indexOf(m, from, m_size)) {
            ++count;
            from = p + m.size();
        }
        resume = std::max(from, m_size - m.size() + 1);
        return count;
    }

private:
    static constexpr int kChunkBits = 16;
    static constexpr qsizetype kChunkSize = qsizetype(1) << kChunkBits;
    static constexpr qsizetype kChunkMask = kChunkSize - 1;

    struct Chunk {
        std::unique_ptr<uchar[]> narrow;
        std::unique_ptr<char16_t[]> wide;
    };

    static void widen(Chunk& chunk, qsizetype filled) {
        chunk.wide.reset(new char16_t[kChunkSize]);
        for (qsizetype i = 0; i < filled; ++i)
            chunk.wide[i] = chunk.narrow[i];
        chunk.narrow.reset();
    }

    std::vector<Chunk> m_chunks;
    qsizetype m_size = 0;
};

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

} // namespace

struct ReadPane::Impl {
    explicit Impl(ReadPane* owner)
        : q(owner), advances(QFontMetricsF(owner->font()), QFontMetricsF(owner->font())) {}

    ReadPane* q;
    TextStore text;
    QFont font;
    QFont smallFont;
    Advances advances;
    int lineHeight = 1;
    qreal ascent = 0;
    // Start offset of every visual line; never empty (an empty pane has one empty line).
    std::vector<qsizetype> starts{0};
    qreal wrapWidth = 1;
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
    std::optional<Matcher> matcher;
    qsizetype matchStart = -1;
    qsizetype matchLength = 0;
    qsizetype matchIndex = 0;
    qsizetype matchCount = 0;
    qsizetype countResume = 0;
    // The matches in view while painting.
    std::vector<std::pair<qsizetype, qsizetype>> visibleMatches;

    QScrollBar* bar() const { return q->verticalScrollBar(); }
    int lineCount() const { return int(starts.size()); }
    qsizetype selectionStart() const { return std::min(anchor, position); }
    qsizetype selectionEnd() const { return std::max(anchor, position); }

    // End of a visual line's text: the next line's start without the break between them.
    qsizetype lineEnd(int line) const {
        const qsizetype start = starts[size_t(line)];
        qsizetype end = line + 1 < lineCount() ? starts[size_t(line) + 1] : text.size();
        while (end > start && isBreak(text.at(end - 1)))
            --end;
        return end;
    }

    int lineOf(qsizetype pos) const {
        return int(std::upper_bound(starts.begin(), starts.end(), pos) - starts.begin()) - 1;
    }

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

    // Wraps from the start of the last visual line to the end of the text. Every earlier line
    // was closed by a break or by a character that did not fit, so later text cannot change
    // it: an append costs the last line plus what was appended.
    void wrapTail() {
        const qsizetype size = text.size();
        qsizetype lineStart = starts.back();
        // A CR that ended the text was taken as a lone CR; an LF arriving next completes a
        // CR LF pair, which is one break.
        if (lineStart > 0 && lineStart < size && text.at(lineStart - 1) == kCarriageReturn &&
            text.at(lineStart) == kLineFeed)
            starts.back() = ++lineStart;
        qreal x = 0;
        qsizetype afterSpace = -1;
        qsizetype i = lineStart;
        while (i < size) {
            const char16_t c = text.at(i);
            if (isBreak(c)) {
                ++i;
                if (c == kCarriageReturn && i < size && text.at(i) == kLineFeed)
                    ++i;
                starts.push_back(i);
                lineStart = i;
                x = 0;
                afterSpace = -1;
                continue;
            }
            const qreal w = advances.of(c, x);
            if (i > lineStart && (x + w > wrapWidth || i - lineStart >= kMaxLineChars)) {
                // Break after the last space that fit, else before the character that did not.
                lineStart = afterSpace > lineStart ? afterSpace : i;
                starts.push_back(lineStart);
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
            topText = starts[size_t(std::clamp(bar()->value(), 0, lineCount() - 1))];
    }

    // Wraps everything again (new width or font), keeping the bottom in view when it was, else
    // the text the user last scrolled to the top: remembering that position rather than the
    // line start of the moment keeps a series of resizes from creeping up the text.
    void relayout() {
        const bool bottom = atBottom();
        relayingOut = true;
        wrapWidth = currentWrapWidth();
        starts.assign(1, 0);
        wrapTail();
        updateScrollRange();
        if (bottom)
            scrollToBottom();
        else
            bar()->setValue(lineOf(topText));
        relayingOut = false;
        q->viewport()->update();
    }

    // The text position under a viewport point: the nearest character boundary, or with
    // `nearest` false the character whose box holds the point.
    qsizetype positionAt(QPoint point, bool nearest = true) const {
        const int row = int(std::floor(qreal(point.y() - kMarginTop) / lineHeight));
        const int line = bar()->value() + row;
        if (line < 0)
            return 0;
        if (line >= lineCount())
            return text.size();
        const qsizetype end = lineEnd(line);
        qreal x = 0;
        const qreal target = point.x() - kMarginX;
        for (qsizetype i = starts[size_t(line)]; i < end; ++i) {
            const qreal w = advances.of(text.at(i), x);
            if (target < x + (nearest ? w / 2 : w))
                return i;
            x += w;
        }
        return end;
    }

    void selectWordAt(qsizetype pos) {
        const qsizetype size = text.size();
        if (pos >= size || !isWordChar(text.at(pos))) {
            anchor = position = pos;
            return;
        }
        qsizetype from = pos;
        while (from > 0 && isWordChar(text.at(from - 1)))
            --from;
        qsizetype to = pos;
        while (to < size && isWordChar(text.at(to)))
            ++to;
        anchor = from;
        position = to;
    }

    bool currentMatchSelected() const {
        return matchStart >= 0 && anchor == matchStart && position == matchStart + matchLength;
    }

    qsizetype find(const Matcher& m, qsizetype from, bool forward) const {
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

    // The number of matches, counted from the start without overlaps, that begin before `limit`.
    qsizetype countBefore(qsizetype limit) const {
        qsizetype count = 0;
        for (qsizetype p = text.indexOf(*matcher, 0, limit); p >= 0;
             p = text.indexOf(*matcher, p + matcher->size(), limit))
            ++count;
        return count;
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
        matchCount = text.countFrom(*matcher, 0, countResume);
        const qsizetype p = find(*matcher, from, true);
        selectMatch(p, p >= 0 ? countBefore(p) + 1 : 0);
    }

    void step(bool forward) {
        if (!matcher)
            return;
        const bool current = currentMatchSelected();
        const qsizetype n = matcher->size();
        const qsizetype from =
            forward ? (current ? matchStart + n : selectionEnd()) : selectionStart();
        const qsizetype p = find(*matcher, from, forward);
        if (p < 0)
            return selectMatch(-1, 0);
        // Stepping on to the next match needs no count from the start.
        const bool onward = forward && current && p >= matchStart + n;
        selectMatch(p, onward ? matchIndex + 1 : countBefore(p) + 1);
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

    void paintLine(QPainter& painter, int line, int top) const {
        const qsizetype start = starts[size_t(line)];
        const qsizetype end = lineEnd(line);
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
            const char16_t c = text.at(i);
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
        const bool hasBreak = line + 1 < lineCount() && starts[size_t(line) + 1] > end;
        if (hasBreak && selFrom <= end && selTo > end)
            painter.fillRect(QRectF(x, top, advances.spaceWidth(), lineHeight),
                             palette.brush(QPalette::Highlight));
    }
};

ReadPane::ReadPane(QWidget* parent) : QAbstractScrollArea(parent), d(std::make_unique<Impl>(this)) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    // The pane paints its whole background itself.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    d->measureFont();
    d->wrapWidth = d->currentWrapWidth();
    d->updateScrollRange();
}

ReadPane::~ReadPane() = default;

void ReadPane::appendText(QStringView text) {
    if (text.isEmpty())
        return;
    const bool follow = d->following();
    d->text.append(text);
    d->wrapTail();
    d->updateScrollRange();
    if (follow) {
        d->anchor = d->position = d->text.size();
        d->scrollToBottom();
    } else if (!d->atBottom()) {
        d->setMark(true);
    }
    if (d->matcher) {
        d->matchCount += d->text.countFrom(*d->matcher, d->countResume, d->countResume);
        d->updateCountLabel();
    }
    viewport()->update();
}

void ReadPane::clear() {
    d->text.clear();
    std::vector<qsizetype>{0}.swap(d->starts);
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
    return d->find(Matcher(needle, cs), from, forward);
}

qsizetype ReadPane::countMatches(const QString& needle, Qt::CaseSensitivity cs) const {
    const Matcher m(needle, cs);
    if (m.size() == 0)
        return 0;
    qsizetype resume = 0;
    return d->text.countFrom(m, 0, resume);
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
    return {d->starts[size_t(index)], d->lineEnd(index)};
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
    d->visibleMatches.clear();
    if (d->matcher) {
        const int last = std::min(d->lineCount() - 1, first + toRow);
        d->findVisibleMatches(d->starts[size_t(std::min(first + fromRow, last))], d->lineEnd(last));
    }
    for (int row = fromRow; row <= toRow && first + row < d->lineCount(); ++row)
        d->paintLine(painter, first + row, kMarginTop + row * d->lineHeight);
    if (d->markShown)
        d->paintMark(painter);
}

void ReadPane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    d->placeFindBar();
    if (d->currentWrapWidth() != d->wrapWidth) {
        d->relayout();
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
        d->relayout();
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
