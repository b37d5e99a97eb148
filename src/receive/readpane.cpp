#include "receive/readpane.h"

#include "receive/findbar.h"
#include "receive/newdatamark.h"
#include "receive/paneglyphs.h"
#include "receive/panelayout.h"
#include "receive/panesearch.h"
#include "receive/panetext.h"

#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr char16_t kTab = u'\t';
constexpr char16_t kSpace = u' ';
// Room between the text and the viewport's edges.
constexpr int kMarginX = 4;
constexpr int kMarginTop = 2;
// How long one step of the background layout may take.
constexpr qint64 kLayoutStepNs = 8'000'000;

bool isWordChar(char16_t c) {
    return c != kSpace && c != kTab && !PaneGlyphs::isLineBreak(c);
}

} // namespace

struct ReadPane::Impl {
    explicit Impl(ReadPane* owner)
        : q(owner), glyphs(owner->font(), nullptr), layout(text, glyphs) {}

    using LineRef = PaneLayout::LineRef;

    ReadPane* q;
    PaneText text;
    PaneGlyphs glyphs;
    PaneLayout layout;
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
    NewDataMark* mark = nullptr;

    // Find: the bar's search while it is open and has text, and the match it selected last
    // with its number.
    FindBar* findBar = nullptr;
    PaneSearch search{text};
    qsizetype matchStart = -1;
    qsizetype matchLength = 0;
    qsizetype matchIndex = 0;
    // Whether the current match was selected with the view at the end, and the user has not
    // scrolled since.
    bool matchHeldAtEnd = false;
    // The matches in view while painting.
    std::vector<std::pair<qsizetype, qsizetype>> visibleMatches;

    QScrollBar* bar() const { return q->verticalScrollBar(); }
    qsizetype selectionStart() const { return std::min(anchor, position); }
    qsizetype selectionEnd() const { return std::max(anchor, position); }

    // ---- Keeping the view through layout changes

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
            bar()->setValue(layout.lineOf(topText));
        relayingOut = false;
        q->viewport()->update();
    }

    // After line counts changed above the view.
    void restoreView() {
        keepingView([] {});
    }

    // Lays out blocks whose count is an estimate for one step's time, keeping what is at the
    // top of the view (or the end, when it was in view) where it is.
    void layoutStep(qint64 budgetNs) {
        if (layout.layoutStep(budgetNs))
            restoreView();
        if (layoutTimer && layout.isPending())
            layoutTimer->start();
    }

    // Wraps everything again (new width or font).
    void relayout(bool sameFont) {
        keepingView([&] { layout.rewrap(currentWrapWidth(), sameFont); });
        if (layout.isPending())
            layoutTimer->start();
    }

    // ---- Measuring and scrolling

    void measureFont() { glyphs = PaneGlyphs(q->font(), q->viewport()); }

    qreal currentWrapWidth() const {
        return std::max<qreal>(1, q->viewport()->width() - 2 * kMarginX);
    }

    int visibleRows() const {
        return std::max(1, (q->viewport()->height() - kMarginTop) / glyphs.lineHeight());
    }

    bool atBottom() const { return bar()->value() >= bar()->maximum(); }

    void updateScrollRange() {
        const int rows = visibleRows();
        bar()->setRange(0, std::max(0, layout.lineCount() - rows));
        bar()->setPageStep(rows);
        bar()->setSingleStep(1);
    }

    void scrollToBottom() { bar()->setValue(bar()->maximum()); }

    bool following() const { return atBottom() && anchor == position && !dragging; }

    // The mark takes a strip under the text rather than covering its last line; the view
    // moves down by the rows the strip takes, so the line that was last in view stays in view.
    void setMark(bool shown) {
        if (markShown == shown)
            return;
        markShown = shown;
        const int rows = visibleRows();
        updateMargins();
        mark->setVisible(shown);
        if (shown)
            bar()->setValue(bar()->value() + rows - visibleRows());
        q->viewport()->update();
        emit q->newDataMarkChanged(shown);
    }

    // Room for the find bar above the text and the mark below it, while they show.
    void updateMargins() {
        const bool find = findBar && !findBar->isHidden();
        q->setViewportMargins(0, find ? findBar->sizeHint().height() : 0, 0,
                              markShown ? mark->sizeHint().height() : 0);
        placeBars();
    }

    void placeBars() {
        const QRect view = q->viewport()->geometry();
        if (findBar && !findBar->isHidden()) {
            const int h = findBar->sizeHint().height();
            findBar->setGeometry(view.left(), view.top() - h, view.width(), h);
        }
        if (markShown)
            mark->setGeometry(view.left(), view.bottom() + 1, view.width(),
                              mark->sizeHint().height());
    }

    void noteScroll() {
        if (!relayingOut)
            topText = layout.lineStart(layout.lineRef(bar()->value()));
    }

    // The text position under a viewport point: the nearest character boundary, or with
    // `nearest` false the character whose box holds the point.
    qsizetype positionAt(QPoint point, bool nearest = true) {
        const int row = int(std::floor(qreal(point.y() - kMarginTop) / glyphs.lineHeight()));
        const int line = bar()->value() + row;
        if (line < 0)
            return 0;
        if (line >= layout.lineCount())
            return text.size();
        const LineRef ref = layout.lineRef(line);
        const qsizetype base = layout.blockStart(ref.block);
        const qsizetype end = layout.lineEnd(ref) - base;
        const QString& chars = ref.layout->text;
        qreal x = 0;
        const qreal target = point.x() - kMarginX;
        for (qsizetype i = ref.layout->starts[size_t(ref.index)]; i < end; ++i) {
            const qreal w = glyphs.advance(chars[i].unicode(), x);
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
        const PaneLayout::BlockLayout& block = layout.blockAt(pos);
        const qsizetype base = layout.blockStart(block.block);
        const QString& chars = block.text;
        const qsizetype local = pos - base;
        if (!isWordChar(chars[local].unicode()))
            return;
        qsizetype from = local;
        while (from > 0 && isWordChar(chars[from - 1].unicode()))
            --from;
        qsizetype to = local;
        while (to < chars.size() && isWordChar(chars[to].unicode()))
            ++to;
        anchor = base + from;
        position = base + to;
    }

    bool currentMatchSelected() const {
        return matchStart >= 0 && anchor == matchStart && position == matchStart + matchLength;
    }

    void updateCountLabel() {
        if (!findBar)
            return;
        QString shown;
        const qsizetype count = search.count();
        if (search.isActive() && count == 0)
            shown = QStringLiteral("No matches");
        else if (search.isActive() && currentMatchSelected())
            shown = QStringLiteral("%1 of %2").arg(matchIndex).arg(count);
        else if (search.isActive())
            shown =
                count == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(count);
        findBar->count->setText(shown);
    }

    void scrollIntoView(qsizetype pos) {
        const int line = layout.lineOf(pos);
        const int first = bar()->value();
        const int rows = visibleRows();
        if (line < first || line >= first + rows)
            bar()->setValue(line - rows / 3);
    }

    // Selects the match at `p` (none when -1) as the current one, numbered `index`.
    void selectMatch(qsizetype p, qsizetype index) {
        matchStart = p;
        if (p >= 0) {
            matchLength = search.needleSize();
            matchIndex = index;
            anchor = p;
            position = p + matchLength;
            dragging = false;
            scrollIntoView(p);
            matchHeldAtEnd = atBottom();
        }
        updateCountLabel();
        q->viewport()->update();
    }

    // The text or the case setting of the bar changed: counts again and selects the first
    // match from where the current one (or the selection) starts, so typing on extends it.
    void restartSearch() {
        const qsizetype from = currentMatchSelected() ? matchStart : selectionStart();
        matchStart = -1;
        search.start(findBar->text->text(),
                     findBar->matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
        if (!search.isActive()) {
            updateCountLabel();
            q->viewport()->update();
            return;
        }
        const auto [p, index] = search.nearest(from, true);
        selectMatch(p, index);
    }

    void step(bool forward) {
        if (!search.isActive())
            return;
        const auto [p, index] =
            forward && currentMatchSelected()
                ? search.after(matchStart, matchIndex)
                : search.nearest(forward ? selectionEnd() : selectionStart(), forward);
        selectMatch(p, index);
    }

    // The current match stays selected for copying, unless it was found at the end and the
    // view has stayed there since: then only that selection holds the pane still, and closing
    // the search follows what arrives again.
    void closeFindBar() {
        findBar->hide();
        search.stop();
        updateMargins();
        if (currentMatchSelected() && (atBottom() || matchHeldAtEnd))
            q->followEnd();
        q->setFocus();
        q->viewport()->update();
    }

    void paintLine(QPainter& painter, const LineRef& ref, int top) const {
        const qsizetype base = layout.blockStart(ref.block);
        const qsizetype start = layout.lineStart(ref);
        const qsizetype end = layout.lineEnd(ref);
        const QString& chars = ref.layout->text;
        const qsizetype selFrom = selectionStart();
        const qsizetype selTo = selectionEnd();
        const QPalette& palette = q->palette();
        const qreal baseline = top + glyphs.ascent();
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
                painter.fillRect(QRectF(runX, top, x - runX, glyphs.lineHeight()),
                                 palette.brush(QPalette::Highlight));
            else if (runStyle == Match)
                painter.fillRect(QRectF(runX, top, x - runX, glyphs.lineHeight()), matchBackground);
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
            const bool symbol = PaneGlyphs::isBox(c);
            if (style != runStyle || c == kTab || symbol) {
                flush();
                runStyle = style;
            }
            x += glyphs.advance(c, x - kMarginX);
            if (symbol) {
                const QRectF cell(runX, top, x - runX, glyphs.lineHeight());
                flush();
                glyphs.paintBox(painter, cell, c, penFor(style));
            } else if (c == kTab) {
                flush();
            } else {
                run.append(QChar(c));
            }
        }
        flush();
        // A selected line break shows as a selected space after the line.
        const bool hasBreak =
            end - base < chars.size() && PaneGlyphs::isLineBreak(chars[end - base].unicode());
        if (hasBreak && selFrom <= end && selTo > end)
            painter.fillRect(QRectF(x, top, glyphs.spaceWidth(), glyphs.lineHeight()),
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
    d->mark = new NewDataMark(this);
    d->mark->hide();
    connect(d->mark, &NewDataMark::clicked, this, &ReadPane::followEnd);
    // Scrolling by the user, unlike the pane's own scrolling, ends a match's hold at the end.
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { d->matchHeldAtEnd = false; });
    d->measureFont();
    d->layout.rewrap(d->currentWrapWidth(), true);
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
    layout.appended(from);
    updateScrollRange();
    if (follow) {
        anchor = position = text.size();
        scrollToBottom();
    } else if (!atBottom()) {
        setMark(true);
    }
    if (search.isActive()) {
        search.appended();
        updateCountLabel();
    }
    q->viewport()->update();
}

void ReadPane::clear() {
    d->text.clear();
    d->layoutTimer->stop();
    d->layout.clear();
    d->anchor = d->position = 0;
    d->dragging = false;
    d->topText = 0;
    d->updateScrollRange();
    d->bar()->setValue(0);
    d->setMark(false);
    d->matchStart = -1;
    d->search.cleared();
    d->updateCountLabel();
    viewport()->update();
}

qsizetype ReadPane::find(const QString& needle, qsizetype from, bool forward,
                         Qt::CaseSensitivity cs) const {
    return PaneSearch::find(d->text, TextMatcher(needle, cs), from, forward);
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
        d->updateMargins();
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
    d->mark->setBackground(color);
    viewport()->update();
}

QColor ReadPane::backgroundColor() const {
    return d->background;
}

int ReadPane::visualLineCount() const {
    return d->layout.lineCount();
}

std::pair<qsizetype, qsizetype> ReadPane::visualLine(int index) const {
    const Impl::LineRef ref = d->layout.lineRef(index);
    return {d->layout.lineStart(ref), d->layout.lineEnd(ref)};
}

bool ReadPane::isLayoutPending() const {
    return d->layout.isPending();
}

void ReadPane::finishLayout() {
    d->layoutStep(0);
}

qsizetype ReadPane::memoryUsed() const {
    return d->text.memoryUsed() + d->layout.memoryUsed();
}

QString ReadPane::displayText(int index) const {
    const auto [start, end] = visualLine(index);
    QString shown = d->text.mid(start, end);
    for (QChar& c : shown) {
        if (c.unicode() < 0x20 && PaneGlyphs::isBox(c.unicode()))
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
    }
    return shown;
}

qreal ReadPane::symbolWidth(QChar c) const {
    return PaneGlyphs::isBox(c.unicode()) ? d->glyphs.advance(c.unicode(), 0) : 0;
}

QString ReadPane::symbolLabel(QChar c) const {
    return PaneGlyphs::boxLabel(c.unicode());
}

qreal ReadPane::wrapWidth() const {
    return d->layout.wrapWidth();
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
    painter.setFont(d->glyphs.font());
    const int first = d->bar()->value();
    const int fromRow = std::max(0, (area.top() - kMarginTop) / d->glyphs.lineHeight());
    const int toRow = (area.bottom() - kMarginTop) / d->glyphs.lineHeight();
    // Laying out a block in view can only change the count of lines after the first in view,
    // so the rows are looked up one at a time.
    d->visibleMatches.clear();
    const int last = std::min(d->layout.lineCount() - 1, first + toRow);
    if (d->search.isActive() && first + fromRow <= last)
        d->visibleMatches =
            d->search.matchesIn(d->layout.lineStart(d->layout.lineRef(first + fromRow)),
                                d->layout.lineEnd(d->layout.lineRef(last)));
    for (int row = fromRow; row <= toRow && first + row < d->layout.lineCount(); ++row)
        d->paintLine(painter, d->layout.lineRef(first + row),
                     kMarginTop + row * d->glyphs.lineHeight());
    if (d->bar()->maximum() != std::max(0, d->layout.lineCount() - d->visibleRows()))
        QTimer::singleShot(0, this, [this] { d->restoreView(); });
}

void ReadPane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    d->placeBars();
    if (d->currentWrapWidth() != d->layout.wrapWidth()) {
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
