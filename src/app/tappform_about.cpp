// The main window's side of the About window: a new window over the program's own values on
// every opening.

#include "about/taboutbox.h"
#include "app/icons.h"
#include "app/startupvalues.h"
#include "app/tappform.h"

void TAppForm::About1Click() {
    AboutBoxContext context;
    context.productName = startupValues().ProductName;
    context.shortVersion = startupValues().ShortVersion;
    context.programFile = m_env.programFile;
    context.webHost = serviceHost();
    context.programIcon = brevaneIcon(QStringLiteral("brevane"));
    context.messages = m_env.messages;
    context.openUrl = pageOpener();
    TAboutBox box(std::move(context), this);
    box.exec();
}
