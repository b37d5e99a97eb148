#include "i18n/restartscript.h"

#include "base/atomicfile.h"

QString shellQuoted(const QString& text) {
    // Inside single quotes only the quote itself is special; it ends the quoting, is written
    // escaped and the quoting starts again.
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QByteArray restartScript(const QString& programFile) {
    const QString text = QStringLiteral("#!/bin/sh\n"
                                        "echo 'This file was created automatically to restart "
                                        "the program.'\n"
                                        "echo 'It is safe to delete this file.'\n"
                                        "sleep 1\n"
                                        "exec ") +
                         shellQuoted(programFile) + QLatin1Char('\n');
    return text.toUtf8();
}

RestartScriptWrite writeRestartScript(const QString& settingsFolder, const QString& programFile) {
    RestartScriptWrite result;
    result.path = settingsFolder;
    if (!result.path.endsWith(QLatin1Char('/')))
        result.path += QLatin1Char('/');
    result.path += QStringLiteral("start.sh");
    result.sysErrno = replaceFileAtomically(result.path, restartScript(programFile));
    return result;
}
