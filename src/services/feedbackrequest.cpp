#include "services/feedbackrequest.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <memory>

namespace {

const QString kLikeText = QStringLiteral("I like it!");
const QString kDislikeText = QStringLiteral("I dislike it!");

QString choiceText(const QString& english, const QString& caption) {
    if (caption == english)
        return english;
    return english + QStringLiteral(" (") + caption + QLatin1Char(')');
}

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};

} // namespace

QString trimControls(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() < 0x21)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() < 0x21)
        --end;
    return text.sliced(begin, end - begin);
}

bool isValidEmail(const QString& email) {
    static constexpr char kPattern[] =
        R"(^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$)";
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    // Compiled per call: the check runs once per send, and nothing is shared between threads.
    // DOLLAR_ENDONLY keeps "$" from accepting a trailing line break: the whole text must match.
    const std::unique_ptr<pcre2_code, CodeDeleter> code(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kPattern), PCRE2_ZERO_TERMINATED,
                      PCRE2_DOLLAR_ENDONLY, &errorCode, &errorOffset, nullptr));
    if (!code)
        return false;
    const std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr));
    if (!data)
        return false;
    const QByteArray subject = email.toUtf8();
    return pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(subject.constData()),
                       static_cast<PCRE2_SIZE>(subject.size()), 0, PCRE2_NOTEMPTY, data.get(),
                       nullptr) >= 0;
}

QString feedbackText(FeedbackChoice choice, const QString& likeCaption,
                     const QString& dislikeCaption, const QString& memoText) {
    QString text;
    if (choice == FeedbackChoice::Like)
        text = choiceText(kLikeText, likeCaption) + QLatin1Char('\r');
    else if (choice == FeedbackChoice::Dislike)
        text = choiceText(kDislikeText, dislikeCaption) + QLatin1Char('\r');
    return text + trimControls(memoText);
}

QStringList feedbackFields(const QString& mainCaption, const QString& shortVersion,
                           const QString& feedback, const QString& email) {
    QStringList fields{QStringLiteral("cmd=feedback"), QStringLiteral("appname=") + mainCaption,
                       QStringLiteral("version=") + shortVersion,
                       QStringLiteral("feedback=") + feedback};
    if (!email.isEmpty())
        fields << QStringLiteral("email=") + email;
    return fields;
}

bool feedbackReplyOk(const QString& reply) {
    QString lines = reply;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList split = lines.split(QLatin1Char('\n'));
    if (!split.isEmpty() && split.last().isEmpty())
        split.removeLast(); // a final line break ends the last line, it starts no new one
    return trimControls(split.join(QStringLiteral("\r\n"))) == QLatin1String("OK");
}

FeedbackPost feedbackPostTo(const QString& host, const PostOptions& options) {
    return [host, options](const QStringList& fields, int timeoutMs) {
        if (host.isEmpty()) {
            PostResult none;
            none.error = QStringLiteral("no web host");
            return none;
        }
        return postWithRetry(host, FeedbackScript, fields, timeoutMs, options);
    };
}
