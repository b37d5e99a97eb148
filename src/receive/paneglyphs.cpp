#include "receive/paneglyphs.h"

#include "receive/bytecodecs.h"

#include <QColor>
#include <QPainter>
#include <QRectF>

#include <algorithm>
#include <cmath>

namespace {

constexpr char16_t kTab = u'\t';
constexpr char16_t kDelete = 0x7F;
constexpr char16_t kSoftHyphen = 0xAD;
constexpr int kTabColumns = 8;
// Room on each side of a box's label inside it, and between the box and its neighbours.
constexpr qreal kBoxPadding = 2;
constexpr qreal kBoxGap = 1;

// Lines are measured one character at a time, so drawing must not kern or join them.
QFont drawingFont(const QFont& font) {
    QFont f = font;
    f.setKerning(false);
    f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::PreferNoShaping));
    return f;
}

// The font a box's label is drawn in: smaller than the text so the box fits in a line.
QFont boxFont(const QFont& font) {
    QFont small = font;
    if (font.pointSizeF() > 0)
        small.setPointSizeF(std::max(4.0, font.pointSizeF() * 0.7));
    else
        small.setPixelSize(std::max(6, int(font.pixelSize() * 0.7)));
    return small;
}

} // namespace

bool PaneGlyphs::isBox(char16_t c) {
    // The C1 controls and the soft hyphen are invisible too: without boxes, line noise from a
    // wrong baud rate (mostly such bytes) would look shorter than it is.
    return (c < 0x20 && c != kTab && !isLineBreak(c)) || c == kDelete || (c >= 0x80 && c <= 0x9F) ||
           c == kSoftHyphen;
}

QString PaneGlyphs::boxLabel(char16_t c) {
    if (!isBox(c))
        return {};
    // The C1 controls' short names are known to few, so those boxes hold the byte's value.
    const QLatin1StringView name = ControlName(c);
    return name.isEmpty() ? QStringLiteral("%1").arg(uint(c), 2, 16).toUpper() : QString(name);
}

PaneGlyphs::PaneGlyphs(const QFont& font, const QPaintDevice* device)
    : m_font(drawingFont(font)), m_boxFont(boxFont(m_font)), m_metrics(m_font, device),
      m_boxMetrics(m_boxFont, device) {
    m_lineHeight = std::max(1, int(std::ceil(m_metrics.lineSpacing())));
    m_ascent = m_metrics.ascent();
    for (int c = 0; c < 256; ++c)
        m_latin[size_t(c)] = isBox(char16_t(c))
                                 ? std::ceil(m_boxMetrics.horizontalAdvance(boxLabel(char16_t(c))) +
                                             2 * (kBoxPadding + kBoxGap))
                                 : m_metrics.horizontalAdvance(QChar(c));
    m_latin[u'\n'] = m_latin[u'\r'] = 0;
    m_tabStop = kTabColumns * m_latin[u' '];
}

qreal PaneGlyphs::tabAdvance(qreal x) const {
    if (m_tabStop <= 0)
        return 0;
    return (std::floor(x / m_tabStop) + 1) * m_tabStop - x;
}

qreal PaneGlyphs::otherAdvance(char16_t c) const {
    const auto found = m_other.constFind(c);
    if (found != m_other.constEnd())
        return *found;
    const qreal w = m_metrics.horizontalAdvance(QChar(c));
    m_other.insert(c, w);
    return w;
}

void PaneGlyphs::paintBox(QPainter& painter, const QRectF& cell, char16_t c,
                          const QColor& colour) const {
    const qreal h = std::min<qreal>(m_lineHeight - 2, std::ceil(m_boxMetrics.height()) + 1);
    const QRectF box(cell.left() + kBoxGap, cell.top() + (cell.height() - h) / 2,
                     cell.width() - 2 * kBoxGap, h);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor border = colour;
    border.setAlphaF(0.6f);
    painter.setPen(QPen(border, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    painter.setPen(colour);
    painter.setFont(m_boxFont);
    painter.drawText(box, Qt::AlignCenter, boxLabel(c));
    painter.restore();
}
