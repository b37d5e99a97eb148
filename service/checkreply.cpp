#include "checkreply.h"

namespace {

std::string element(std::string_view name, std::string_view value) {
    std::string line = "<";
    line.append(name).append(">").append(value).append("</").append(name).append(">\r\n");
    return line;
}

} // namespace

std::string CheckReply::answer(const CheckRequest& request, std::string_view latestVersion,
                               std::string_view downloadUrl) {
    return element("version", latestVersion) + element("url", downloadUrl) +
           element("howmany", std::to_string(request.howMany)) +
           element("result", request.version == latestVersion ? "0" : "1");
}

std::string CheckReply::error(std::string_view reason) {
    return "ERROR " + std::string(reason);
}
