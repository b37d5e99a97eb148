#pragma once

// PaneGlyphs: how the read pane measures and draws each character in its font.
// Widths are looked up rather than measured, since layout and hit-testing ask for every
// character they pass; what is measured here is exactly what paints, so the picture matches
// wrapping and hit-testing. A TAB reaches the next stop of eight spaces. Control characters
// other than TAB and the line breaks (0 to 31, and DEL) are drawn as small boxes holding their
// short names ("NUL", "ESC"): fonts draw them as nothing, or as an empty box at best, and no
// installed font can be relied on for the control pictures (U+2400...) either. The C1 controls
// (0x80 to 0x9F) and the soft hyphen (0xAD), just as invisible, are boxes holding their hex
// value ("80", "AD"). The font is drawn without kerning or shaping, so that a run of characters
// is as wide as their sum.

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <array>

class QColor;
class QPaintDevice;
class QPainter;
class QRectF;

class PaneGlyphs {
public:
    // Measures `font` as drawn on `device` (the widget's screen).
    PaneGlyphs(const QFont& font, const QPaintDevice* device);

    static bool isLineBreak(char16_t c) { return c == u'\n' || c == u'\r'; }
    // Whether `c` is drawn as a box, and what the box holds (empty when it is not one).
    static bool isBox(char16_t c);
    static QString boxLabel(char16_t c);

    // The advance of `c` when it starts at `x` on its line; 0 for a line break.
    qreal advance(char16_t c, qreal x) const {
        if (c < 256)
            return c == u'\t' ? tabAdvance(x) : m_latin[c];
        return otherAdvance(c);
    }
    qreal spaceWidth() const { return m_latin[u' ']; }

    // The font to draw the text in, and its line height (whole pixels) and ascent.
    const QFont& font() const { return m_font; }
    int lineHeight() const { return m_lineHeight; }
    qreal ascent() const { return m_ascent; }

    // Draws the box of `c` in `cell` (its advance wide, a line high) in `colour`.
    void paintBox(QPainter& painter, const QRectF& cell, char16_t c, const QColor& colour) const;

private:
    qreal tabAdvance(qreal x) const;
    qreal otherAdvance(char16_t c) const;

    QFont m_font;
    QFont m_boxFont;
    QFontMetricsF m_metrics;
    QFontMetricsF m_boxMetrics;
    int m_lineHeight = 1;
    qreal m_ascent = 0;
    std::array<qreal, 256> m_latin{};
    qreal m_tabStop = 0;
    mutable QHash<char16_t, qreal> m_other;
};
