#include "base/messageboxservice.h"

#include <algorithm>

void MessageBoxService::showMessage(MessageIcon icon, const QString& caption, const QString& text,
                                    const QString& detail) {
    MessageRequest request;
    request.icon = icon;
    request.caption = caption;
    request.text = text;
    request.detail = detail;
    show(request);
}

MessageButton CustomMessageDialog(MessageBoxService& service, const QString& message,
                                  MessageIcon kind, const QList<MessageButton>& buttons,
                                  const QString& caption, const QStringList& buttonCaptions) {
    MessageRequest request;
    request.icon = kind;
    request.caption = caption;
    request.text = message;
    request.buttons = buttons;
    // Standard order (Yes before No), so captions are handed out in the order shown.
    std::sort(request.buttons.begin(), request.buttons.end());
    request.defaultButton = request.buttons.contains(MessageButton::Yes) ? MessageButton::Yes
                                                                         : request.buttons.value(0);
    request.buttonCaptions = buttonCaptions;
    return service.show(request);
}
