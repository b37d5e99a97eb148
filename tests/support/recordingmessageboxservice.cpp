#include "support/recordingmessageboxservice.h"

MessageButton RecordingMessageBoxService::show(const MessageRequest& request) {
    shown.append(request);
    if (!answers.isEmpty())
        return answers.takeFirst();
    if (request.buttons == QList<MessageButton>{MessageButton::Ok})
        return MessageButton::Ok;
    return MessageButton::None;
}
