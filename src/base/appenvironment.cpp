#include "base/appenvironment.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

AppEnvironment AppEnvironment::system(MessageBoxService& messages) {
    AppEnvironment env;
    env.programFile = QCoreApplication::applicationFilePath();
    env.programFolder = QFileInfo(env.programFile).absolutePath();
    env.configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    env.desktopFolder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    env.clock = [] { return QDateTime::currentDateTime(); };
    env.messages = &messages;
    env.startProgram = [](const QString& program) { QProcess::startDetached(program, {}); };
    // exit() leaves the event loop without the close events that quit() would send.
    env.terminate = [] { QCoreApplication::exit(0); };
    return env;
}
