#pragma once

// NewDataMark: the "New data below" mark of the read pane: a strip the pane shows under its
// text, beside the scroll bar, while text has arrived below what is in view. The strip is
// outside the text, so it never covers a line. It is drawn in the palette's highlight colours,
// which read on light and dark themes whatever colours the pane's text has, on the pane's
// background; a click anywhere on it reports clicked().

#include <QColor>
#include <QWidget>

class NewDataMark : public QWidget {
    Q_OBJECT
public:
    explicit NewDataMark(QWidget* parent);

    QSize sizeHint() const override;
    // The colour around the mark, the pane's own background.
    void setBackground(const QColor& colour);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRectF markRect() const;

    QColor m_background = Qt::white;
};
