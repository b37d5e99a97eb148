#pragma once

// What every window benchmark needs: a main window environment over a temporary folder with a
// message service that only prints.

#include "base/appenvironment.h"
#include "base/messageboxservice.h"
#include "port/serialports.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

class PrintedMessages : public MessageBoxService {
public:
    MessageButton show(const MessageRequest& r) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return MessageButton::None;
    }
};

inline AppEnvironment benchEnvironment(const QTemporaryDir& tmp, MessageBoxService& messages) {
    AppEnvironment env;
    env.programFile = QCoreApplication::applicationFilePath();
    env.programFolder = tmp.path();
    env.configHome = tmp.filePath("config");
    env.desktopFolder = tmp.filePath("desktop");
    env.clock = [] { return QDateTime::currentDateTime(); };
    env.messages = &messages;
    env.startProgram = [](const QString&) {};
    env.terminate = [] {};
    env.portList = [] { return portBoxList({}); };
    return env;
}
