#include "receive/readpane.h"

#include <QClipboard>
#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
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

        // Draws the text in runs that end at a TAB, a symbol or a selection edge, each at the
        // position the layout measured, so the picture matches wrapping and hit-testing.
        QString run;
        run.reserve(end - start);
        qreal x = kMarginX;
        qreal runX = x;
        bool runSelected = false;
        const auto flush = [&] {
            if (runSelected)
                painter.fillRect(QRectF(runX, top, x - runX, lineHeight),
                                 palette.brush(QPalette::Highlight));
            if (!run.isEmpty()) {
                painter.setPen(runSelected ? palette.color(QPalette::HighlightedText) : textColor);
                painter.drawText(QPointF(runX, baseline), run);
                run.clear();
            }
            runX = x;
        };
        for (qsizetype i = start; i < end; ++i) {
            const char16_t c = text.at(i);
            const bool selected = i >= selFrom && i < selTo;
            const bool symbol = isSymbol(c);
            if (selected != runSelected || c == kTab || symbol) {
                flush();
                runSelected = selected;
            }
            x += advances.of(c, x - kMarginX);
            if (symbol) {
                const QRectF cell(runX, top, x - runX, lineHeight);
                flush();
                paintSymbol(painter, cell, c,
                            selected ? palette.color(QPalette::HighlightedText) : textColor);
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
    viewport()->update();
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
        if (key == QKeySequence::Copy || key == QKeySequence::SelectAll) {
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
    for (int row = fromRow; row <= toRow && first + row < d->lineCount(); ++row)
        d->paintLine(painter, first + row, kMarginTop + row * d->lineHeight);
    if (d->markShown)
        d->paintMark(painter);
}

void ReadPane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
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
