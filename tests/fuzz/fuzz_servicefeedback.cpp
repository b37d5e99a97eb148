// The service's feedback endpoint: any body is parsed and validated or refused with a reason;
// an accepted feedback is UTF-8 within its limits with text that is not blank, and the service
// and the feedback window judge every e-mail address alike.

#include "feedbackrequest.h"
#include "fieldrules.h"
#include "fuzzinput.h"
#include "services/feedbackrequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    if (const Parsed<FormBody> form = FormBody::parse(body)) {
        const Parsed<FeedbackRequest> request = FeedbackRequest::fromForm(*form.value);
        FUZZ_CHECK(bool(request) == request.error.empty(), "value and reason both set or unset");
        if (request) {
            const FeedbackRequest& r = *request.value;
            FUZZ_CHECK(FieldRules::isSingleLine(r.appname) && FieldRules::isSingleLine(r.version),
                       "accepted a control character");
            const auto chars = FieldRules::countCharacters(r.text);
            FUZZ_CHECK(chars && *chars <= FeedbackRequest::kMaxTextChars +
                                              FeedbackRequest::kMaxChoiceLineChars,
                       "accepted text that is not UTF-8 or too long");
            FUZZ_CHECK(r.email.empty() || FeedbackRequest::isValidEmail(r.email),
                       "accepted address %s", r.email.c_str());
        }
    }

    // The same address, as the window checks it and as the service does.
    const std::string email(body.substr(0, std::min<size_t>(body.size(), 100)));
    const bool window = ::isValidEmail(QString::fromStdString(email));
    const bool service = FeedbackRequest::isValidEmail(email);
    FUZZ_CHECK(window == service, "%s: the window says %d, the service %d", email.c_str(), window,
               service);
    return 0;
}
