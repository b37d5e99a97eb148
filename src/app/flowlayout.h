#pragma once

// FlowLayout: lays its items out left to right and starts a new row where the next one does not
// fit, so a row of settings wraps instead of forcing the window wider than a small or scaled
// screen. Its minimum width is that of its widest item; its height follows from the width.

#include <QLayout>
#include <QList>

class FlowLayout : public QLayout {
public:
    // `spacing` between items of a row, `rowSpacing` between rows.
    FlowLayout(QWidget* parent, int spacing, int rowSpacing);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items in `rect` (only measuring when `apply` is false); returns the height used.
    int place(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> m_items;
    int m_rowSpacing;
};
