#pragma once

// The feedback request without its window: the e-mail check, the text and fields that are
// posted to the maker's feedback script, and the rule that tells a delivered feedback from a
// failed one. All pure, except feedbackPostTo, which makes the real post.

#include "services/servicepost.h"

#include <QString>
#include <QStringList>

#include <functional>

// The feedback script on the maker's web host.
inline constexpr QLatin1String FeedbackScript("/php/feedback.php");
// Each attempt's connection and response time-out: short, as the user waits for the answer.
inline constexpr int kFeedbackTimeoutMs = 3000;

enum class FeedbackChoice { None, Like, Dislike };

// `text` without the blanks and control characters (everything below U+0021) at either end.
QString trimControls(const QString& text);

// Whether the whole of `email` matches the address pattern (case-sensitive; an address must
// have a dot in its domain). The caller trims first and skips the check for an empty address.
bool isValidEmail(const QString& email);

// The value of the feedback field: for a choice, its English text, " (" + the caption shown
// + ")" when a translation changed that caption, and one CR; then the memo text, trimmed.
QString feedbackText(FeedbackChoice choice, const QString& likeCaption,
                     const QString& dislikeCaption, const QString& memoText);

// cmd=feedback, appname, version, feedback and, only when not empty, email.
QStringList feedbackFields(const QString& mainCaption, const QString& shortVersion,
                           const QString& feedback, const QString& email);

// A delivered feedback: the reply, its lines joined again with CR LF and trimmed, is "OK".
bool feedbackReplyOk(const QString& reply);

// Posts the fields and gives the result; called on a worker thread, so it must share nothing.
using FeedbackPost = std::function<PostResult(const QStringList& fields, int timeoutMs)>;

// The feedback script on `host` with the https-then-http retry; with no host it fails at once
// without a request.
FeedbackPost feedbackPostTo(const QString& host, const PostOptions& options = {});
