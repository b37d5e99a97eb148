// The main window's side of choosing the language: opening the language window and keeping
// the choice for the next start.

#include "app/startupvalues.h"
#include "app/tappform.h"
#include "base/shippedfiles.h"
#include "i18n/ttranslateform.h"

#include <QFileInfo>
#include <QProcess>

void TAppForm::SetLanguageFile(const QString& Filename) {
    writeSetting(QStringLiteral("LanguageFile"), Filename);
}

void TAppForm::Language1Click() {
    TranslateFormContext context;
    context.settingsFolder = startupValues().SettingsFolder;
    context.programFile = m_env.programFile;
    context.messages = m_env.messages;
    context.translationPage =
        sitePageUrl(serviceHost(), QStringLiteral("https"), QStringLiteral("/translation/"),
                    m_env.programFile, QStringLiteral("translation.html"));
    context.openUrl = pageOpener();
    context.startScript = m_env.startScript ? m_env.startScript : [](const QString& script) {
        return QProcess::startDetached(QStringLiteral("/bin/sh"), {script},
                                       QFileInfo(script).absolutePath());
    };
    context.terminate = [this] { Exit1Click(); };
    context.setLanguageFile = [this](const QString& fileName) { SetLanguageFile(fileName); };
    TTranslateForm form(std::move(context), this);
    form.exec();
}
