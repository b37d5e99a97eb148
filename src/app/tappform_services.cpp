// The main window's side of the maker's web services: the update check's timer and menu item,
// the update pop-up, Online Help, and opening pages for every window.

#include "app/icons.h"
#include "app/startupvalues.h"
#include "app/tappform.h"
#include "base/messageboxservice.h"
#include "base/shippedfiles.h"
#include "i18n/translate.h"
#include "i18n/translationkeys.h"
#include "services/checkerstore.h"
#include "services/servicepost.h"
#include "services/tchecker.h"
#include "services/tnewver.h"
#include "services/webhost.h"

#include <QAction>
#include <QDesktopServices>
#include <QTimer>

namespace {

constexpr int kCheckTimeoutMs = 10000;

QString checkerStoreFolder(const QString& configHome) {
    const StartupValues& values = startupValues();
    return CheckerStore::folderFor(configHome, values.CompanyName, values.MainCaption);
}

} // namespace

void TAppForm::connectServiceHandlers() {
    connect(TimerChecker, &QTimer::timeout, this, &TAppForm::TimerCheckerTimer);
    connect(UpdateNotifications1, &QAction::triggered, this, &TAppForm::UpdateNotifications1Click);
    connect(Help2, &QAction::triggered, this, &TAppForm::Help2Click);
}

QString TAppForm::serviceHost() const {
    return m_env.webHost ? *m_env.webHost : webHost();
}

std::function<void(const QUrl&)> TAppForm::pageOpener() const {
    return [open = m_env.openUrl, messages = m_env.messages](const QUrl& url) {
        if (open ? open(url) : QDesktopServices::openUrl(url))
            return;
        // No browser or opener installed: a link that does nothing looks broken, so give the
        // address to the user to open by hand. The detail text can be selected and copied.
        const QString address = url.toDisplayString(QUrl::PreferLocalFile);
        if (messages)
            messages->showMessage(MessageIcon::Warning, Translate(TranslationKeys::kWarning),
                                  Translate(TranslationKeys::kCannotOpenAddress) +
                                      QStringLiteral("\n\n") + address,
                                  address);
    };
}

void TAppForm::TimerCheckerTimer() {
    if (!m_checker) {
        const StartupValues& values = startupValues();
        const QString host = serviceHost();
        CheckerSetup setup;
        setup.storeFolder = checkerStoreFolder(m_env.configHome);
        setup.mainCaption = values.MainCaption;
        setup.shortVersion = values.ShortVersion;
        setup.haveWebHost = !host.isEmpty();
        setup.today = (m_env.clock ? m_env.clock() : QDateTime::currentDateTime()).date();
        setup.localeName = m_env.localeName;
        setup.post = [host](const QStringList& fields) {
            return postWithRetry(host, ServiceScript, fields, kCheckTimeoutMs);
        };
        m_checker = std::make_shared<TChecker>();
        m_checker->start(std::move(setup));
        return;
    }
    if (!m_checker->CheckFinished())
        return;

    TimerChecker->stop();
    const CheckOutcome& outcome = m_checker->outcome();
    UpdateNotifications1->setEnabled(true);
    if (outcome.ShowUpdate == 0)
        UpdateNotifications1->setChecked(false);
    if (!outcome.UpdatePopupWanted || NewVer)
        return;

    NewVerContent content;
    content.productName = startupValues().ProductName;
    content.newVersion = outcome.NewVersion;
    content.downloadUrl = outcome.DownloadURL;
    const QString host = serviceHost();
    content.homePage = sitePageUrl(host, QStringLiteral("https"), QStringLiteral("/"),
                                   m_env.programFile, QStringLiteral("index.html"));
    content.programIcon = brevaneIcon(QStringLiteral("brevane"));
    content.closeIcon = brevaneIcon(QStringLiteral("close"));
    content.openUrl = pageOpener();
    NewVer = new TNewVer(std::move(content), this);
}

void TAppForm::UpdateNotifications1Click() {
    // The action has already flipped its tick; the new tick is the value to keep. It takes
    // effect at the next start.
    CheckerStore store(checkerStoreFolder(m_env.configHome));
    if (store.open().ok)
        store.writeString(QStringLiteral("ShowUpdate"), UpdateNotifications1->isChecked()
                                                            ? QStringLiteral("1")
                                                            : QStringLiteral("0"));
}

void TAppForm::Help2Click() {
    QString name = startupValues().ProductName;
    for (QChar& c : name) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
        else if (c == QLatin1Char(' '))
            c = QLatin1Char('-');
    }
    const QUrl page =
        sitePageUrl(serviceHost(), QStringLiteral("https"), QStringLiteral("/help/") + name + '/',
                    m_env.programFile, QStringLiteral("index.html"));
    pageOpener()(page);
}
