#include "helppages.h"

#include <fstream>
#include <sstream>

const char* HelpPages::fileFor(std::string_view urlPath) {
    static constexpr struct {
        std::string_view path;
        const char* file;
    } kPages[] = {
        {"/", "index.html"},
        {"/help/brevane/", "index.html"},
        {"/translation/", "translation.html"},
        {"/blog/credits-and-acknowledgements/", "acknowledgements.html"},
        {"/blog/how-to-uninstall-tarnick-software/", "uninstall.html"},
        {"/download/", "download.html"},
    };
    for (const auto& page : kPages) {
        if (page.path == urlPath)
            return page.file;
    }
    return nullptr;
}

std::optional<std::string> HelpPages::read(std::string_view urlPath) const {
    const char* file = fileFor(urlPath);
    if (!file)
        return std::nullopt;
    std::ifstream in(m_folder / file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return content.str();
}
