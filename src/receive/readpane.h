#pragma once

// ReadPane: the read-only pane that shows everything received since the last clear.
// Appending costs only what is appended: the pane keeps its own layout of visual lines, wraps
// just the tail it adds (at spaces where it can, else at the edge) and paints only the lines in
// view, so a pane holding tens of megabytes updates as fast as an empty one. A new width or font
// wraps at once only what is in view and the rest in the background, so no resize stalls the
// window. Received bytes shown as digits are kept as bytes and rendered when painted, copied or
// searched, so a long capture costs about a byte per byte received in any view. Its text is
// exactly the concatenation of every append since the last clear; nothing is added or dropped.
// While the view is at the end and nothing is selected the pane follows what arrives; once the
// user scrolls up or selects, new text is added without moving the selection (so older output
// can be read and copied during a stream) and a mark in a strip under the text says that there
// is more below, until the view is back at the end. The strip never covers a line: when it
// appears the view moves down by its height, so the line last in view stays in view.
// A line ends at LF, CR LF or a lone CR. The other control characters but TAB (0 to 31, and
// DEL) are drawn as small boxes holding their short names ("NUL", "ESC"), and the C1 controls
// and the soft hyphen (0x80 to 0x9F, 0xAD) as boxes holding their hex value ("80", "AD"),
// painted by the pane so that they show whatever the font; the text itself keeps the characters.

#include "receive/readview.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>

#include <memory>
#include <utility>

class ReadPane : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReadPane(QWidget* parent = nullptr);
    ~ReadPane() override;

    // Adds `text` at the end. While following, the caret and the view go to the end; otherwise
    // both stay and the new-data mark shows.
    void appendText(QStringView text);
    // Adds `bytes` (one character per byte read) as `view` shows them: the characters
    // themselves in the ASCII view, else what HexLine, DecLine, OctLine or BinLine makes of
    // them. Follows or holds as appendText does.
    void appendBytes(QStringView bytes, ReadView view);
    // Empties the pane and follows again.
    void clear();

    // Whether appends move the view to the end: the last line is in view and nothing is selected.
    bool isFollowing() const;
    // Whether the "new data below" mark is showing.
    bool isNewDataMarkShown() const;
    // Goes to the end and follows again (End, Ctrl+End, or a click on the mark).
    void followEnd();

    QString toPlainText() const;
    // The characters [from, to) of the text (clamped to it).
    QString textBetween(qsizetype from, qsizetype to) const;
    qsizetype length() const;
    bool isEmpty() const { return length() == 0; }
    // The caret: always a text position; after an append while following it is length().
    qsizetype cursorPosition() const;

    void setSelection(qsizetype anchor, qsizetype position);
    void selectAll();
    bool hasSelection() const;
    QString selectedText() const;
    // Copies the selection to the clipboard (nothing when none is selected).
    void copy();

    void setTextColor(const QColor& color);
    QColor textColor() const;
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const;

    // Find. The next match of `needle` starting at or after `from` (forward) or before it,
    // going round the end of the text; -1 when there is none.
    qsizetype find(const QString& needle, qsizetype from, bool forward,
                   Qt::CaseSensitivity cs) const;
    // The matches from the start of the text that do not overlap.
    qsizetype countMatches(const QString& needle, Qt::CaseSensitivity cs) const;
    // The bar above the text (Ctrl+F): Enter and Shift+Enter step through the matches, which
    // are marked in view; the current one is selected, which holds the view. Esc closes it;
    // when the match was found at the end and the view stayed there, the pane follows again.
    void showFindBar();
    bool isFindBarVisible() const;

    // The layout, for tests and benchmarks: the visual lines after wrapping at the current
    // width, each as [start, end) offsets into the text (line breaks excluded), and what is
    // drawn for one of them, with each box of a C0 control or DEL given as its control picture
    // (U+2400 + its code, U+2421 for DEL); the other boxes, which have no picture, keep their
    // characters.
    int visualLineCount() const;
    std::pair<qsizetype, qsizetype> visualLine(int index) const;
    QString displayText(int index) const;
    // The width a character's box takes in a line, and what the box holds ("NUL", "9F"); 0 and
    // an empty text for a character drawn from the font.
    qreal symbolWidth(QChar c) const;
    QString symbolLabel(QChar c) const;
    // The width in pixels that visual lines are wrapped to.
    qreal wrapWidth() const;
    // After a new width or font, whether lines out of view are still being wrapped in the
    // background (their count is estimated meanwhile), and a way to finish that at once.
    bool isLayoutPending() const;
    void finishLayout();
    // The memory the pane's text and layout hold, in bytes.
    qsizetype memoryUsed() const;
    // The first visual line in view, and whether the last line is in view.
    int firstVisibleLine() const;
    bool isScrolledToBottom() const;

signals:
    void newDataMarkChanged(bool shown);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
