#include "receive/newdatamark.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

// The mark is drawn in the desktop's font, not the pane's, which may be chosen much larger or
// smaller.
namespace {

QString markText() {
    return QStringLiteral("New data below");
}

// Room above and below the mark inside the strip.
constexpr int kStripPadding = 3;

} // namespace

NewDataMark::NewDataMark(QWidget* parent) : QWidget(parent) {
    setObjectName("newDataMark");
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Follow new data again (End)"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize NewDataMark::sizeHint() const {
    const QFontMetricsF metrics(QGuiApplication::font(), this);
    const int h = int(std::ceil(metrics.height() + 6));
    const int w = int(std::ceil(metrics.horizontalAdvance(markText()) + h + 12));
    return {w, h + 2 * kStripPadding};
}

void NewDataMark::setBackground(const QColor& colour) {
    m_background = colour;
    update();
}

QRectF NewDataMark::markRect() const {
    const QFontMetricsF metrics(QGuiApplication::font(), this);
    const qreal h = std::ceil(metrics.height() + 6);
    const qreal w = std::ceil(metrics.horizontalAdvance(markText()) + h + 12);
    return QRectF((width() - w) / 2, (height() - h) / 2, w, h);
}

void NewDataMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    const QRectF box = markRect();
    const QColor text = palette().color(QPalette::HighlightedText);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(text, 1));
    painter.setBrush(palette().brush(QPalette::Highlight));
    painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), box.height() / 2, box.height() / 2);
    // A small arrow pointing down, drawn rather than taken from a font that may lack it.
    const qreal a = box.height() * 0.3;
    const QPointF tip(box.left() + box.height() / 2 + 2, box.center().y() + a / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(text);
    painter.drawPolygon(QPolygonF{{tip.x() - a, tip.y() - a}, {tip.x() + a, tip.y() - a}, tip});
    painter.setPen(text);
    painter.setFont(QGuiApplication::font());
    painter.drawText(box.adjusted(box.height(), 0, -6, 0), Qt::AlignCenter, markText());
}

void NewDataMark::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    emit clicked();
}
