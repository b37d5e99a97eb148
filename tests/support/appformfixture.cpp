#include "support/appformfixture.h"

#include "port/portnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

AppFormFixture::AppFormFixture() {
    programFolder = tmp.filePath("program");
    configHome = tmp.filePath("config");
    desktopFolder = tmp.filePath("Desktop");
    portList = comPortNames();
    for (const QString& folder : {programFolder, configHome, desktopFolder})
        QDir().mkpath(folder);
}

QString AppFormFixture::settingsPath() const {
    return programFolder + "/settings.ini";
}

void AppFormFixture::writeSettingsFile(const QByteArray& bytes) const {
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray AppFormFixture::readSettingsFile() const {
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

AppEnvironment AppFormFixture::environment() {
    AppEnvironment env;
    env.programFile = QCoreApplication::applicationFilePath();
    env.programFolder = programFolder;
    env.configHome = configHome;
    env.desktopFolder = desktopFolder;
    env.messages = &messages;
    env.startProgram = [this](const QString& program) { startedPrograms << program; };
    env.terminate = [this] { ++terminations; };
    env.portList = [this] {
        QList<SerialPortInfo> list = portDevices;
        for (const QString& name : portList)
            list.append(SerialPortInfo{name, QString(), QString()});
        return list;
    };
    env.portWatchFolders = portWatchFolders;
    env.serialByIdFolder = tmp.filePath("by-id"); // the machine's own devices stay out of it
    env.chooseOpenFile = [this] { return chosenFile; };
    env.beep = [this] { ++beeps; };
    env.localeName = localeName;
    env.messagesLocaleName = messagesLocaleName;
    env.clock = [this] { return now; };
    env.chooseFolder = [this](const QString& title, const QString& accept, const QString& start) {
        return folderChooser ? folderChooser(title, accept, start) : QString();
    };
    return env;
}

TAppForm& AppFormFixture::createForm(bool runFormCreate) {
    form = std::make_unique<TAppForm>(environment());
    if (runFormCreate) {
        form->FormCreate();
        form->createSendLaterWindow();
    }
    return *form;
}
