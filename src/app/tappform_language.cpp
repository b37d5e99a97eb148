// The main window's side of choosing the language: opening the language window and keeping
// the choice for the next start.

#include "app/startupvalues.h"
#include "app/tappform.h"
#include "i18n/ttranslateform.h"
#include "services/webhost.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

// The page about contributing translations: on the maker's web host when there is one, else
// the same page of the help installed with the program (beside it while it runs from its
// build folder).
QUrl translationPageUrl(const QString& programFolder) {
    if (const QString host = webHost(); !host.isEmpty())
        return QUrl(QStringLiteral("https://") + host + QStringLiteral("/translation/"));
    const QDir folder(programFolder);
    QString page = folder.filePath(QStringLiteral("help/translation.html"));
    if (!QFileInfo::exists(page))
        page = folder.cleanPath(
            folder.filePath(QStringLiteral("../share/brevane/help/translation.html")));
    return QUrl::fromLocalFile(page);
}

} // namespace

void TAppForm::SetLanguageFile(const QString& Filename) {
    writeSetting(QStringLiteral("LanguageFile"), Filename);
}

void TAppForm::Language1Click() {
    TranslateFormContext context;
    context.settingsFolder = startupValues().SettingsFolder;
    context.programFile = m_env.programFile;
    context.messages = m_env.messages;
    context.translationPage = translationPageUrl(QFileInfo(m_env.programFile).absolutePath());
    context.openUrl =
        m_env.openUrl ? m_env.openUrl : [](const QUrl& url) { QDesktopServices::openUrl(url); };
    context.startScript = m_env.startScript ? m_env.startScript : [](const QString& script) {
        return QProcess::startDetached(QStringLiteral("/bin/sh"), {script},
                                       QFileInfo(script).absolutePath());
    };
    context.terminate = [this] { Exit1Click(); };
    context.setLanguageFile = [this](const QString& fileName) { SetLanguageFile(fileName); };
    TTranslateForm form(std::move(context), this);
    form.exec();
}
