#include "app/statustext.h"

#include "receive/bytecodecs.h"
#include "receive/paneglyphs.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr qreal kBoxPadding = 2;
constexpr qreal kBoxGap = 1;
const QString kEllipsis(QChar(0x2026));

// What the box of `c` holds; empty when `c` is drawn as itself. Every control is a box, CR and
// LF included; the C1 controls and the soft hyphen, invisible in most fonts, hold their value.
QString boxLabel(QChar c) {
    if (const QLatin1StringView name = ControlName(c.unicode()); !name.isEmpty())
        return QString(name);
    return PaneGlyphs::boxLabel(c.unicode());
}
} // namespace

StatusText::StatusText(const QString& text, int preferredWidth, QWidget* parent)
    : QLabel(text, parent), m_preferredWidth(preferredWidth) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

QFont StatusText::boxFont() const {
    QFont small = font();
    if (small.pointSizeF() > 0)
        small.setPointSizeF(std::max(4.0, small.pointSizeF() * 0.75));
    else
        small.setPixelSize(std::max(6, int(small.pixelSize() * 0.75)));
    return small;
}

void StatusText::setTextEliding(const QString& text, qsizetype from, qsizetype length) {
    m_elidingText = text;
    m_elideFrom = std::clamp<qsizetype>(from, 0, text.size());
    m_elideLength = std::clamp<qsizetype>(length, 0, text.size() - m_elideFrom);
    setToolTip(text);
    setText(text);
    updateGeometry();
}

QList<StatusText::Piece> StatusText::pieces(const QString& all) const {
    const QFontMetricsF metrics(font());
    const QFontMetricsF boxMetrics(boxFont());
    QList<Piece> pieces;
    for (qsizetype i = 0; i < all.size();) {
        const QString name = boxLabel(all[i]);
        if (!name.isEmpty()) {
            pieces.append(
                {name, true,
                 std::ceil(boxMetrics.horizontalAdvance(name) + 2 * (kBoxPadding + kBoxGap))});
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < all.size() && boxLabel(all[end]).isEmpty())
            ++end;
        const QString run = all.mid(i, end - i);
        pieces.append({run, false, metrics.horizontalAdvance(run)});
        i = end;
    }
    return pieces;
}

qreal StatusText::widthOf(const QList<Piece>& pieces) {
    qreal total = 0;
    for (const Piece& p : pieces)
        total += p.width;
    return total;
}

QString StatusText::fittedText(qreal width) const {
    const QString all = text();
    if (all != m_elidingText || m_elideLength == 0)
        return all;
    const qreal excess = widthOf(pieces(all)) - width;
    if (excess <= 0)
        return all;
    const QString part = all.mid(m_elideFrom, m_elideLength);
    const QFontMetricsF metrics(font());
    const qreal room = metrics.horizontalAdvance(part) - excess;
    // Nothing of the part fits: what is left is cut at its end as any text is.
    const QString shortened = room > metrics.horizontalAdvance(kEllipsis)
                                  ? metrics.elidedText(part, Qt::ElideMiddle, room)
                                  : kEllipsis;
    return all.left(m_elideFrom) + shortened + all.mid(m_elideFrom + m_elideLength);
}

QList<StatusText::Piece> StatusText::layout(qreal width, bool* elided) const {
    const QFontMetricsF metrics(font());
    const QList<Piece> all = pieces(fittedText(width));
    *elided = widthOf(all) > width;
    if (!*elided)
        return all;
    // Keep what fits before the ellipsis; a run of text is cut inside, a box is all or nothing.
    const qreal room = width - metrics.horizontalAdvance(kEllipsis);
    QList<Piece> kept;
    qreal x = 0;
    for (const Piece& p : all) {
        if (x + p.width <= room) {
            kept.append(p);
            x += p.width;
            continue;
        }
        if (!p.control) {
            QString part = p.text;
            while (!part.isEmpty() && x + metrics.horizontalAdvance(part) > room)
                part.chop(1);
            if (!part.isEmpty())
                kept.append({part, false, metrics.horizontalAdvance(part)});
        }
        break;
    }
    return kept;
}

QString StatusText::shownText(int width) const {
    bool elided = false;
    QString shown;
    for (const Piece& p : layout(width, &elided))
        shown += p.control ? "[" + p.text + "]" : p.text;
    return elided ? shown + kEllipsis : shown;
}

QSize StatusText::sizeHint() const {
    const QMargins m = contentsMargins();
    const int h = fontMetrics().height() + m.top() + m.bottom();
    int w = std::max(m_preferredWidth, 1);
    if (m_elideLength > 0 && text() == m_elidingText)
        w = std::max(w, int(std::ceil(widthOf(pieces(text())))) + m.left() + m.right());
    return QSize(w, h);
}

QSize StatusText::minimumSizeHint() const {
    const QMargins m = contentsMargins();
    const int h = fontMetrics().height() + m.top() + m.bottom();
    return QSize(std::min(m_preferredWidth, fontMetrics().averageCharWidth() * 6), h);
}

void StatusText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    bool elided = false;
    const QList<Piece> pieces = layout(area.width(), &elided);
    const QFontMetricsF metrics(font());
    const QColor colour =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole());
    const qreal baseline = area.top() + (area.height() - metrics.height()) / 2 + metrics.ascent();
    qreal x = area.left();
    painter.setPen(colour);
    for (const Piece& p : pieces) {
        if (!p.control) {
            painter.setFont(font());
            painter.drawText(QPointF(x, baseline), p.text);
        } else {
            const QFontMetricsF boxMetrics(boxFont());
            const qreal h = std::min<qreal>(area.height() - 2, std::ceil(boxMetrics.height()) + 1);
            const QRectF box(x + kBoxGap, area.top() + (area.height() - h) / 2,
                             p.width - 2 * kBoxGap, h);
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            QColor border = colour;
            border.setAlphaF(0.6f);
            painter.setPen(QPen(border, 1));
            painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
            painter.setPen(colour);
            painter.setFont(boxFont());
            painter.drawText(box, Qt::AlignCenter, p.text);
            painter.restore();
        }
        x += p.width;
    }
    if (elided) {
        painter.setFont(font());
        painter.drawText(QPointF(x, baseline), kEllipsis);
    }
}
