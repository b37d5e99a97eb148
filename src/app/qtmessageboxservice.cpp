#include "app/qtmessageboxservice.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQt(MessageButton button) {
    switch (button) {
    case MessageButton::Ok:
        return QMessageBox::Ok;
    case MessageButton::Yes:
        return QMessageBox::Yes;
    case MessageButton::No:
        return QMessageBox::No;
    case MessageButton::Cancel:
        return QMessageBox::Cancel;
    case MessageButton::None:
        break;
    }
    return QMessageBox::NoButton;
}
} // namespace

MessageButton QtMessageBoxService::show(const MessageRequest& request) {
    QMessageBox box(toQt(request.icon), request.caption, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    if (!request.detail.isEmpty())
        box.setDetailedText(request.detail);
    QList<QPair<QAbstractButton*, MessageButton>> added;
    for (int i = 0; i < request.buttons.size(); ++i) {
        const MessageButton b = request.buttons[i];
        QPushButton* button = box.addButton(toQt(b));
        if (i < request.buttonCaptions.size())
            button->setText(request.buttonCaptions[i]);
        if (b == request.defaultButton)
            box.setDefaultButton(button);
        added.append({button, b});
    }
    // Escape and the close box pick No (or a lone OK), never Yes.
    box.exec();
    for (const auto& [button, result] : added) {
        if (box.clickedButton() == button)
            return result;
    }
    return MessageButton::None;
}
