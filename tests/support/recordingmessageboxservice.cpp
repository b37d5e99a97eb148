#include "support/recordingmessageboxservice.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

MessageButton RecordingMessageBoxService::show(const MessageRequest& request) {
    shown.append(request);
    if (!answers.isEmpty())
        return answers.takeFirst();
    if (request.buttons == QList<MessageButton>{MessageButton::Ok})
        return MessageButton::Ok;
    return MessageButton::None;
}

void expectRestartQuestion(const MessageRequest& request) {
    EXPECT_EQ(request.icon, MessageIcon::Question);
    EXPECT_EQ(request.caption, "Confirmation");
    EXPECT_EQ(request.text, "Restart Application?");
    EXPECT_EQ(request.buttons, QList<MessageButton>({MessageButton::Yes, MessageButton::No}));
    EXPECT_EQ(request.defaultButton, MessageButton::Yes);
    EXPECT_EQ(request.buttonCaptions, QStringList({"Yes", "No"}));
}
