#include "checkrequest.h"

#include "fieldrules.h"

#include <charconv>

namespace {

// Generous against what the program sends (a product caption, "2.0", an OS line, a locale name,
// a GUID text), tight enough that nobody stores essays in an update check.
constexpr std::size_t kMaxAppname = 100;
constexpr std::size_t kMaxVersion = 32;
constexpr std::size_t kMaxOs = 200;
constexpr std::size_t kMaxLocal = 35;
constexpr std::size_t kMaxGuid = 64;

// Reads a required field into out; returns the reason it is refused, or empty text.
std::string take(const FormBody& form, const char* name, std::size_t maxChars, bool mayBeEmpty,
                 std::string& out) {
    const std::string* value = form.find(name);
    if (!value)
        return std::string("missing ") + name;
    if (value->empty() && !mayBeEmpty)
        return std::string("empty ") + name;
    std::string problem = FieldRules::check(name, *value, maxChars);
    if (problem.empty())
        out = *value;
    return problem;
}

} // namespace

Parsed<CheckRequest> CheckRequest::fromForm(const FormBody& form) {
    const std::string* cmd = form.find("cmd");
    if (!cmd || *cmd != "check")
        return Parsed<CheckRequest>::fail("unknown command");
    CheckRequest r;
    for (std::string problem :
         {take(form, "appname", kMaxAppname, false, r.appname),
          take(form, "version", kMaxVersion, false, r.version),
          take(form, "os", kMaxOs, true, r.os), take(form, "local", kMaxLocal, false, r.local),
          take(form, "guid", kMaxGuid, true, r.guid)}) {
        if (!problem.empty())
            return Parsed<CheckRequest>::fail(problem);
    }
    const std::string* howMany = form.find("howmany");
    if (!howMany)
        return Parsed<CheckRequest>::fail("missing howmany");
    const char* end = howMany->data() + howMany->size();
    const auto [ptr, ec] = std::from_chars(howMany->data(), end, r.howMany);
    if (howMany->empty() || ec != std::errc() || ptr != end)
        return Parsed<CheckRequest>::fail("howmany is not a count");
    return Parsed<CheckRequest>::ok(std::move(r));
}
