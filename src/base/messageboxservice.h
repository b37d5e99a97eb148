#pragma once

// MessageBoxService: the one way any window shows a modal message.
// Windows describe the message (icon, caption, text, buttons) and get back the button that
// closed it; the real service shows a dialog, a test service records the request and answers
// from a script. No window calls a dialog class for a message directly.

#include <QList>
#include <QString>
#include <QStringList>

enum class MessageIcon { None, Information, Warning, Error, Question };

// Standard buttons, in the order a dialog shows them.
enum class MessageButton { None, Ok, Yes, No, Cancel };

struct MessageRequest {
    MessageIcon icon = MessageIcon::None;
    QString caption;
    QString text;
    QString detail; // the system's reason, shown on request
    QList<MessageButton> buttons{MessageButton::Ok};
    MessageButton defaultButton = MessageButton::Ok;
    QStringList buttonCaptions; // replaces the standard captions, in order
};

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows the message modally; returns the button that closed it, or MessageButton::None
    // when it was closed another way (close box, Escape).
    virtual MessageButton show(const MessageRequest& request) = 0;

    // One OK button with an icon: the shape of every failure message.
    void showMessage(MessageIcon icon, const QString& caption, const QString& text,
                     const QString& detail = QString());
};

// The standard message dialog with a caller-given caption and button captions: the n-th
// button in standard order gets buttonCaptions[n]; Yes is the default when present.
MessageButton CustomMessageDialog(MessageBoxService& service, const QString& message,
                                  MessageIcon kind, const QList<MessageButton>& buttons,
                                  const QString& caption, const QStringList& buttonCaptions);
