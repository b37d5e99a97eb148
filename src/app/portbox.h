#pragma once

// The port box: its list of ports, what identifies each detected device, and its width.
// An item's text is the port's name (what the box shows, stores and opens); a device's
// description is painted greyed beside it in the drop-down and is its tooltip.

#include "base/serialportinfo.h"

#include <QList>
#include <QStyledItemDelegate>

class QComboBox;

// The roles of an item's description and by-id name.
inline constexpr int kPortDescriptionRole = Qt::UserRole + 1;
inline constexpr int kPortByIdRole = Qt::UserRole + 2;

// Paints an item's text as usual and its description right-aligned and greyed after it.
class PortListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// Gives `box` (an editable one) the delegate, and keeps its tooltip on the identity of the
// port its text names.
void preparePortBox(QComboBox* box);

// Makes `ports` the list of `box`. The box's text, and the cursor and selection in it, stay
// as they were, and the box emits no signal. False when the list was already that.
bool setPortList(QComboBox* box, const QList<SerialPortInfo>& ports);

// A width for `box` that shows the whole of a typical device path ("/dev/ttyUSB10",
// "/dev/pts/12") and of each name in its list, in the box's font and style; names much longer
// than those are left to scroll.
int portBoxWidth(const QComboBox* box);
