#pragma once

// StatusText: one panel of the status bar. It stays one line high whatever its text holds:
// control characters (the CR LF of a sent line, say) show as small boxes with their short
// names, and what does not fit ends in an ellipsis. text() is the text exactly as set. It asks
// for its preferred width but gives way down to a few characters when the window is narrow.
// A text set with setTextEliding() asks for the room it needs and, when it still does not fit,
// shortens the named part (a long device path) in its middle first, so what follows it (the
// connection's state) stays readable; its tooltip is the whole text.

#include <QLabel>

class StatusText : public QLabel {
    Q_OBJECT
public:
    StatusText(const QString& text, int preferredWidth, QWidget* parent = nullptr);

    // Shows `text`, of which the `length` characters from `from` give way first when room is
    // short. A plain setText() afterwards is shown as before: cut at its end.
    void setTextEliding(const QString& text, qsizetype from, qsizetype length);

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
    // text() with the part that may give way shortened in its middle to fit `width`, where
    // that part was set with setTextEliding() for this very text.
    QString fittedText(qreal width) const;
    // `text` split into runs of plain text and boxes, each with its width.
    QList<Piece> pieces(const QString& text) const;
    static qreal widthOf(const QList<Piece>& pieces);
    QFont boxFont() const;

    int m_preferredWidth;
    QString m_elidingText; // the text setTextEliding() was given; elision applies while shown
    qsizetype m_elideFrom = 0;
    qsizetype m_elideLength = 0;
};
