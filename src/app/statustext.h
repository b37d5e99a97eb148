#pragma once

// StatusText: one panel of the status bar. It stays one line high whatever its text holds:
// control characters (the CR LF of a sent line, say) show as small boxes with their short
// names, and what does not fit ends in an ellipsis. text() is the text exactly as set. It asks
// for its preferred width but gives way down to a few characters when the window is narrow.

#include <QLabel>

class StatusText : public QLabel {
    Q_OBJECT
public:
    StatusText(const QString& text, int preferredWidth, QWidget* parent = nullptr);

    // What is drawn, for tests: the text with each control character as "[NAME]", cut to fit
    // `width` pixels with a trailing ellipsis.
    QString shownText(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Piece {
        QString text;
        bool control = false;
        qreal width = 0;
    };
    // The pieces that fit in `width`, and whether anything was left out.
    QList<Piece> layout(qreal width, bool* elided) const;
    QFont boxFont() const;

    int m_preferredWidth;
};
