#include "services/updatecheck.h"

#include "base/localeformats.h"
#include "services/checkerstore.h"

#include <QRegularExpression>

namespace {

constexpr int kRequestsPerDay = 5;
constexpr int kPopupRequestsPerDay = 3;

} // namespace

QString elementValue(const QString& line, const QString& name) {
    const QString open = QLatin1Char('<') + name + QLatin1Char('>');
    const QString close = QStringLiteral("</") + name + QLatin1Char('>');
    if (line.size() < open.size() + close.size() || !line.startsWith(open) || !line.endsWith(close))
        return {};
    return line.mid(open.size(), line.size() - open.size() - close.size());
}

UpdateReply parseUpdateReply(const QString& text) {
    UpdateReply reply;
    if (text.startsWith(QLatin1String("ERROR")))
        return reply;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    const QStringList lines = text.split(lineBreak);
    if (lines.size() < 4)
        return reply;
    const QString result = elementValue(lines[3], QStringLiteral("result"));
    if (result != QLatin1String("0") && result != QLatin1String("1"))
        return reply;
    reply.valid = true;
    reply.version = elementValue(lines[0], QStringLiteral("version"));
    reply.url = elementValue(lines[1], QStringLiteral("url"));
    return reply;
}

bool updatePopupWanted(const QString& newVersion, const QString& shortVersion, int showUpdate,
                       const QString& lastDate, const QString& today, int countToday) {
    if (newVersion == shortVersion)
        return false;
    bool numeric = false;
    QString(newVersion).remove(QLatin1Char('.')).toInt(&numeric);
    return numeric && showUpdate == 1 && (lastDate != today || countToday <= kPopupRequestsPerDay);
}

CheckOutcome CheckNow(CheckerStore& store, const CheckInputs& inputs,
                      const std::function<QDate()>& today, const LocaleFormats& formats,
                      const CheckPost& post) {
    CheckOutcome outcome;
    bool failed = inputs.guidFailed;
    if (!store.open().ok)
        failed = true;

    const QString lastDate = store.readString(QStringLiteral("LastUpdateCheck"));
    int count = store.readNumber(QStringLiteral("LastUpdateCheckCount"), 0);
    const QString installed = store.readString(QStringLiteral("InstalledVersion"));

    // The run counter and the installed version are kept on every start, request or not.
    int howMany = std::max(0, store.readNumber(QStringLiteral("HowMany"), 0));
    if (installed != inputs.shortVersion)
        howMany = 0;
    ++howMany;
    if (!store.writeNumber(QStringLiteral("HowMany"), howMany).ok ||
        !store.writeString(QStringLiteral("InstalledVersion"), inputs.shortVersion).ok)
        return outcome;

    outcome.ShowUpdate = store.readNumber(QStringLiteral("ShowUpdate"), 1);
    const QString todayText = formats.shortDate(today());
    if (!inputs.haveWebHost || outcome.ShowUpdate == 0 ||
        (lastDate == todayText && count >= kRequestsPerDay)) {
        outcome.finished = true;
        return outcome;
    }

    // The attempt counts towards the day's five whatever becomes of it.
    count = lastDate == todayText ? count + 1 : 1;
    store.writeString(QStringLiteral("LastUpdateCheck"), todayText);
    store.writeNumber(QStringLiteral("LastUpdateCheckCount"), count);

    QStringList fields{QStringLiteral("cmd=check")};
    fields += inputs.commonFields;
    fields += QStringLiteral("howmany=") + QString::number(howMany);
    outcome.requestMade = true;
    const PostResult result = post(fields);
    if (!result.ok)
        failed = true;
    else if (result.usedHttp)
        failed = false; // a good http reply clears every earlier failure of this check

    if (!failed) {
        const UpdateReply reply = parseUpdateReply(result.reply);
        if (reply.valid) {
            outcome.NewVersion = reply.version;
            outcome.DownloadURL = reply.url;
            outcome.UpdatePopupWanted = updatePopupWanted(
                reply.version, inputs.shortVersion, outcome.ShowUpdate, lastDate, todayText, count);
        }
    }
    outcome.finished = true;
    return outcome;
}
