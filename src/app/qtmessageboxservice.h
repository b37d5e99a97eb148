#pragma once

// QtMessageBoxService: shows each message as a modal QMessageBox over the active window.

#include "base/messageboxservice.h"

class QtMessageBoxService : public MessageBoxService {
public:
    MessageButton show(const MessageRequest& request) override;
};
