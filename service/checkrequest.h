// CheckRequest: a validated update-check request ("cmd=check") as the program sends it:
// appname, version, os, local, guid and howmany, in any order. Every field must be present
// (guid may be empty: the program sends it empty when it cannot read the machine's ID) and
// within its length; anything else is refused with a reason.
#pragma once

#include "formbody.h"
#include "parsed.h"

#include <cstdint>
#include <string>

struct CheckRequest {
    std::string appname;
    std::string version;
    std::string os;
    std::string local;
    std::string guid;
    std::uint32_t howMany = 0;

    static Parsed<CheckRequest> fromForm(const FormBody& form);
};
