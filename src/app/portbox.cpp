#include "app/portbox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>

namespace {

// Space between a port's name and its description, in widths of "M".
constexpr int kGapEms = 2;

QString toolTipOf(const SerialPortInfo& port) {
    if (port.description.isEmpty() && port.byIdName.isEmpty())
        return QString();
    QStringList lines{port.name};
    if (!port.description.isEmpty())
        lines << port.description;
    if (!port.byIdName.isEmpty())
        lines << QStringLiteral("/dev/serial/by-id/") + port.byIdName;
    return lines.join(u'\n');
}

void showIdentityOf(QComboBox* box, const QString& text) {
    const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    box->setToolTip(index < 0 ? QString() : box->itemData(index, Qt::ToolTipRole).toString());
}

// So the drop-down is wide enough for the longest name with its description.
void fitDropDown(QComboBox* box) {
    QAbstractItemView* view = box->view();
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.font = view->font();
    option.fontMetrics = view->fontMetrics();
    int widest = 0;
    for (int row = 0; row < box->count(); ++row)
        widest = std::max(
            widest, view->itemDelegate()->sizeHint(option, box->model()->index(row, 0)).width());
    const int scrollBar = view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
    view->setMinimumWidth(widest + scrollBar + 2 * view->frameWidth());
}

} // namespace

void PortListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QString description = index.data(kPortDescriptionRole).toString();
    if (description.isEmpty())
        return;
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
    const int nameWidth = opt.fontMetrics.horizontalAdvance(opt.text);
    const int gap = kGapEms * opt.fontMetrics.horizontalAdvance(u'M');
    // A space's room at the right, so the text does not touch the drop-down's frame.
    const int end = opt.fontMetrics.horizontalAdvance(u' ');
    QRect rect = textRect.adjusted(nameWidth + gap, 0, -end, 0);
    if (rect.width() <= 0)
        return;
    const bool selected = opt.state & QStyle::State_Selected;
    QColor colour =
        opt.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText);
    if (selected)
        colour.setAlpha(170);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(colour);
    painter->drawText(rect, Qt::AlignRight | Qt::AlignVCenter,
                      opt.fontMetrics.elidedText(description, Qt::ElideRight, rect.width()));
    painter->restore();
}

QSize PortListDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QString description = index.data(kPortDescriptionRole).toString();
    if (!description.isEmpty()) {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        size.rwidth() += kGapEms * opt.fontMetrics.horizontalAdvance(u'M') +
                         opt.fontMetrics.horizontalAdvance(description) +
                         opt.fontMetrics.horizontalAdvance(u' ');
    }
    return size;
}

void preparePortBox(QComboBox* box) {
    box->setItemDelegate(new PortListDelegate(box));
    // The edit's own signal: the box's is blocked when its text is put in from code.
    QObject::connect(box->lineEdit(), &QLineEdit::textChanged, box,
                     [box](const QString& text) { showIdentityOf(box, text); });
}

bool setPortList(QComboBox* box, const QList<SerialPortInfo>& ports) {
    bool same = box->count() == ports.size();
    for (int i = 0; same && i < box->count(); ++i) {
        same = box->itemText(i) == ports[i].name &&
               box->itemData(i, kPortDescriptionRole).toString() == ports[i].description &&
               box->itemData(i, kPortByIdRole).toString() == ports[i].byIdName;
    }
    if (same)
        return false;

    // Rebuilding the list moves the current item and with it the box's text; both are put
    // back, quietly, since the text is the user's choice and is stored only when they change it.
    const QSignalBlocker quiet(box);
    QLineEdit* edit = box->lineEdit();
    const QString text = box->currentText();
    const int cursor = edit ? edit->cursorPosition() : 0;
    const int selectionStart = edit ? edit->selectionStart() : -1;
    const int selectionLength = edit ? edit->selectionLength() : 0;
    box->clear();
    for (const SerialPortInfo& port : ports) {
        box->addItem(port.name);
        const int i = box->count() - 1;
        if (!port.description.isEmpty())
            box->setItemData(i, port.description, kPortDescriptionRole);
        if (!port.byIdName.isEmpty())
            box->setItemData(i, port.byIdName, kPortByIdRole);
        if (const QString tip = toolTipOf(port); !tip.isEmpty())
            box->setItemData(i, tip, Qt::ToolTipRole);
    }
    box->setCurrentIndex(box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (edit) {
        box->setEditText(text);
        if (selectionStart >= 0) {
            // The cursor sits at one end of the selection; the selection runs from the other.
            const int anchor =
                cursor == selectionStart ? selectionStart + selectionLength : selectionStart;
            edit->setSelection(anchor, cursor - anchor);
        } else {
            edit->setCursorPosition(cursor);
        }
    }
    showIdentityOf(box, text);
    fitDropDown(box);
    return true;
}

int portBoxWidth(const QComboBox* box) {
    const QFontMetrics metrics = box->fontMetrics();
    int typical = 0;
    for (const char* sample : {"/dev/ttyUSB10", "/dev/ttyACM10", "/dev/pts/12"})
        typical = std::max(typical, metrics.horizontalAdvance(QLatin1String(sample)));
    int text = typical;
    for (int i = 0; i < box->count(); ++i)
        text = std::max(text, std::min(metrics.horizontalAdvance(box->itemText(i)), 2 * typical));
    // The edit field's own margins and the cursor, beyond what the style adds for the frame
    // and the arrow.
    text += metrics.horizontalAdvance(u' ') + 4;
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = true;
    option.frame = true;
    return box->style()
        ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(text, metrics.height()), box)
        .width();
}
