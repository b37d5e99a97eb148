// The main window's side of the feedback window: opening it over the program's own values
// and services.

#include "app/icons.h"
#include "app/startupvalues.h"
#include "app/tappform.h"
#include "services/tfeedbackform.h"
#include "services/webhost.h"

#include <QApplication>

void TAppForm::SendFeedback1Click() {
    FeedbackFormContext context;
    context.productName = startupValues().ProductName;
    context.mainCaption = startupValues().MainCaption;
    context.shortVersion = startupValues().ShortVersion;
    context.messages = m_env.messages;
    context.beep = m_env.beep ? m_env.beep : [] { QApplication::beep(); };
    context.sendIcon = brevaneIcon(QStringLiteral("feedback"));
    if (const auto post = m_env.postToWebHost) {
        context.post = [post](const QStringList& fields, int timeoutMs) {
            PostResult result;
            result.reply = post(FeedbackScript, fields, timeoutMs);
            result.ok = !result.reply.isEmpty();
            return result;
        };
    } else {
        const QString host = serviceHost();
        context.post = feedbackPostTo(host);
        context.canDeliver = !host.isEmpty();
    }
    TFeedbackForm form(std::move(context), this);
    form.exec();
}
