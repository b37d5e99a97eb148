#include "receive/findbar.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    text = new QLineEdit(this);
    text->setObjectName("findText");
    text->setPlaceholderText(QStringLiteral("Find"));
    text->setClearButtonEnabled(true);
    // A search longer than this is not typed, and a bound keeps the checks at chunk edges short.
    text->setMaxLength(1024);
    previous = new QToolButton(this);
    previous->setObjectName("findPrevious");
    previous->setText(QStringLiteral("Previous"));
    previous->setToolTip(QStringLiteral("Previous match (Shift+Enter)"));
    next = new QToolButton(this);
    next->setObjectName("findNext");
    next->setText(QStringLiteral("Next"));
    next->setToolTip(QStringLiteral("Next match (Enter)"));
    matchCase = new QCheckBox(QStringLiteral("Match case"), this);
    matchCase->setObjectName("findMatchCase");
    count = new QLabel(this);
    count->setObjectName("findCount");
    close = new QToolButton(this);
    close->setObjectName("findClose");
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    if (close->icon().isNull()) // some styles have no such icon
        close->setText(QString(QChar(0xD7)));
    close->setToolTip(QStringLiteral("Close (Esc)"));
    close->setAutoRaise(true);
    for (QWidget* w :
         {static_cast<QWidget*>(text), static_cast<QWidget*>(previous), static_cast<QWidget*>(next),
          static_cast<QWidget*>(matchCase), static_cast<QWidget*>(count)})
        layout->addWidget(w);
    layout->setStretchFactor(text, 1);
    layout->addStretch(0);
    layout->addWidget(close);
    text->installEventFilter(this);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter && key->key() != Qt::Key_Escape)
        return QWidget::eventFilter(watched, event);
    // The bar's keys win over any window shortcut on the same keys.
    event->accept();
    if (event->type() == QEvent::KeyPress) {
        if (enter)
            onStep(!(key->modifiers() & Qt::ShiftModifier));
        else
            onClose();
    }
    return true;
}
