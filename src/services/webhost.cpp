#include "services/webhost.h"

QString webHost() {
    QString host = qEnvironmentVariable("BREVANE_WEB_HOST");
    if (host.isEmpty())
        host = QStringLiteral(BREVANE_WEB_HOST);
    return host;
}
