// CheckReply: the text /php/check2.php answers. A valid reply is four CR LF lines:
//   <version>LATEST</version>
//   <url>DOWNLOAD PAGE</url>
//   <howmany>N</howmany>        (not read by the program; echoes the run count it sent)
//   <result>1 or 0</result>     (1 when LATEST differs from the version the program runs)
// The program compares versions as texts and shows its pop-up on any difference, so the reply
// always names the configured latest version. Refusals begin with "ERROR" so the program
// discards them as a whole.
#pragma once

#include "checkrequest.h"

#include <string>
#include <string_view>

class CheckReply {
public:
    static std::string answer(const CheckRequest& request, std::string_view latestVersion,
                              std::string_view downloadUrl);
    static std::string error(std::string_view reason);
};
