#include "feedbackrequest.h"

#include "fieldrules.h"

#include <regex>

namespace {

constexpr std::size_t kMaxAppname = 100;
constexpr std::size_t kMaxVersion = 32;

bool isBlank(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) > 0x20)
            return false;
    }
    return true;
}

} // namespace

bool FeedbackRequest::isValidEmail(std::string_view email) {
    // The feedback window's pattern, with the "-" of the last-but-one class moved to its end so
    // it cannot be read as a range.
    static const std::regex pattern("[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\\.[a-zA-Z0-9.-]*[a-zA-Z0-9]+");
    return !email.empty() && email.size() <= kMaxEmailChars &&
           std::regex_match(email.begin(), email.end(), pattern);
}

Parsed<FeedbackRequest> FeedbackRequest::fromForm(const FormBody& form) {
    const std::string* cmd = form.find("cmd");
    if (!cmd || *cmd != "feedback")
        return Parsed<FeedbackRequest>::fail("unknown command");
    const std::string* appname = form.find("appname");
    const std::string* version = form.find("version");
    const std::string* text = form.find("feedback");
    if (!appname || appname->empty())
        return Parsed<FeedbackRequest>::fail("missing appname");
    if (!version || version->empty())
        return Parsed<FeedbackRequest>::fail("missing version");
    if (!text || isBlank(*text))
        return Parsed<FeedbackRequest>::fail("empty feedback");
    for (std::string problem :
         {FieldRules::check("appname", *appname, kMaxAppname),
          FieldRules::check("version", *version, kMaxVersion),
          FieldRules::check("feedback", *text, kMaxTextChars + kMaxChoiceLineChars, true)}) {
        if (!problem.empty())
            return Parsed<FeedbackRequest>::fail(problem);
    }
    FeedbackRequest r{*appname, *version, *text, {}};
    if (const std::string* email = form.find("email"); email && !email->empty()) {
        if (email->size() > kMaxEmailChars)
            return Parsed<FeedbackRequest>::fail("email too long");
        if (!isValidEmail(*email))
            return Parsed<FeedbackRequest>::fail("invalid email");
        r.email = *email;
    }
    return Parsed<FeedbackRequest>::ok(std::move(r));
}
