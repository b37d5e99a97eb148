// The service's update-check endpoint: any body is parsed and validated or refused with a
// reason; an accepted request holds only single-line UTF-8 within its limits, and its reply
// is one the program reads as valid, naming the advertised version.

#include "checkreply.h"
#include "checkrequest.h"
#include "fieldrules.h"
#include "fuzzinput.h"
#include "services/updatecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const Parsed<FormBody> form = FormBody::parse(body);
    FUZZ_CHECK(bool(form) == form.error.empty(), "value and reason both set or both unset");
    if (!form)
        return 0;
    FUZZ_CHECK(form.value->fields().size() <= FormBody::kMaxFields, "too many fields kept");
    for (const auto& [name, value] : form.value->fields()) {
        FUZZ_CHECK(!name.empty(), "a nameless field");
        FUZZ_CHECK(form.value->find(name) == &value, "field %s twice", name.c_str());
    }

    const Parsed<CheckRequest> request = CheckRequest::fromForm(*form.value);
    FUZZ_CHECK(bool(request) == request.error.empty(), "value and reason both set or both unset");
    if (!request)
        return 0;
    const CheckRequest& r = *request.value;
    for (const std::string* field : {&r.appname, &r.version, &r.os, &r.local, &r.guid}) {
        FUZZ_CHECK(FieldRules::countCharacters(*field).has_value(), "accepted non-UTF-8");
        FUZZ_CHECK(FieldRules::isSingleLine(*field), "accepted a control character");
    }
    FUZZ_CHECK(!r.appname.empty() && !r.version.empty() && !r.local.empty(), "accepted empty");

    const std::string answer = CheckReply::answer(r, "2.1", "http://127.0.0.1/download/");
    const UpdateReply read = parseUpdateReply(QString::fromStdString(answer));
    FUZZ_CHECK(read.valid && read.version == QLatin1String("2.1") &&
                   read.url == QLatin1String("http://127.0.0.1/download/"),
               "the program cannot read the reply %s", answer.c_str());
    return 0;
}
