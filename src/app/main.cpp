// Program entry: the application, the main window, the message loop.

#include "app/appenvironment.h"
#include "app/qtmessageboxservice.h"
#include "app/tappform.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Several copies may run side by side; there is no single-instance rule to enforce.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevane"));
    QApplication::setOrganizationName(QStringLiteral("TARNICK"));

    QtMessageBoxService messages;
    TAppForm form(AppEnvironment::system(messages));
    form.FormCreate();
    form.createSendLaterWindow();
    form.show();
    return app.exec();
}
