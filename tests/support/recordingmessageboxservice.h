#pragma once

// RecordingMessageBoxService: a message service for tests. Keeps every request it was asked
// to show and answers from a script; with the script empty it answers OK for a lone OK button
// and "closed without a choice" otherwise.

#include "base/messageboxservice.h"

#include <QList>

class RecordingMessageBoxService : public MessageBoxService {
public:
    MessageButton show(const MessageRequest& request) override;

    QList<MessageRequest> shown;
    QList<MessageButton> answers;
};

// Checks that `request` is the "Restart Application?" question (Reset to Defaults, the language
// window) in English: question icon, Yes and No with Yes the default.
void expectRestartQuestion(const MessageRequest& request);
