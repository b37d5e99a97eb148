// Program entry: the application, the main window, the message loop.

#include "app/qtmessageboxservice.h"
#include "app/tappform.h"
#include "base/appenvironment.h"
#include "port/serialports.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Several copies may run side by side; there is no single-instance rule to enforce.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevane"));
    QApplication::setOrganizationName(QStringLiteral("TARNICK"));
    // Ties the windows to the installed desktop entry, so docks show its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnick.Brevane"));

    QtMessageBoxService messages;
    AppEnvironment env = AppEnvironment::system(messages);
    env.portList = [] { return portBoxList(scanSerialPorts()); };
    env.portWatchFolders = serialPortWatchFolders();
    TAppForm form(std::move(env));
    form.FormCreate();
    form.createSendLaterWindow();
    form.show();
    return app.exec();
}
