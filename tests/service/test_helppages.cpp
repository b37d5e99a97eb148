// Which request paths name a help file, and whether the shipped help pages hold together: every
// link and stylesheet reference names a file of the help folder, so the pages work both opened
// from disk and served by the service.
#include "helppages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

TEST(HelpPages, MapsFixedPathsAndTheLastSegmentOnly) {
    const struct {
        std::string_view path;
        std::optional<std::string> file;
    } cases[] = {
        {"/", "index.html"},
        {"/help/brevane/", "index.html"},
        {"/translation/", "translation.html"},
        {"/blog/credits-and-acknowledgements/", "acknowledgements.html"},
        {"/blog/how-to-uninstall-tarnick-software/", "uninstall.html"},
        {"/download/", "download.html"},
        {"/ports.html", "ports.html"},
        {"/help/brevane/ports.html", "ports.html"},
        {"/any/depth/of/folders/style.css", "style.css"},
        {"/help/brevane/send-later_2.svg", "send-later_2.svg"},
        {"/flags/de.png", "de.png"},
        // Not a help file: no name, a folder, another extension, an unsafe or hidden name.
        {"", std::nullopt},
        {"ports.html", std::nullopt},
        {"/help/brevane", std::nullopt},
        {"/help/", std::nullopt},
        {"/ports.html/", std::nullopt},
        {"/notes.txt", std::nullopt},
        {"/page.HTML", std::nullopt},
        {"/php/check2.php", std::nullopt},
        {"/.html", std::nullopt},
        {"/.hidden.html", std::nullopt},
        {"/my page.html", std::nullopt},
        {"/caf\xc3\xa9.html", std::nullopt},
        {"/a%2fb.html", std::nullopt},
        // Paths that climb or hide something are refused whatever their last segment.
        {"/../index.html", std::nullopt},
        {"/help/../ports.html", std::nullopt},
        {"/help/./ports.html", std::nullopt},
        {"/help/../../etc/passwd", std::nullopt},
        {"/..\\ports.html", std::nullopt},
        {"/x\\..\\ports.html", std::nullopt},
        // A control character anywhere in the path.
        {"/ports.html\0.css"sv, std::nullopt},
        {"/a\0/ports.html"sv, std::nullopt},
        {"/a\n/ports.html", std::nullopt},
    };
    for (const auto& t : cases)
        EXPECT_EQ(HelpPages::fileFor(t.path), t.file) << t.path;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool hasId(const std::string& page, const std::string& id) {
    return page.find("id=\"" + id + "\"") != std::string::npos;
}

// A reference from `page` of the help folder: a plain file name the service serves (so it works
// from every path a page is served at), present in the folder, with an optional "#id" that the
// target page defines; or "#id" of the page itself.
std::string problemWith(const fs::path& folder, const std::string& page,
                        const std::string& reference) {
    const auto hash = reference.find('#');
    const std::string file = reference.substr(0, hash);
    const std::string id = hash == std::string::npos ? std::string() : reference.substr(hash + 1);
    if (file.empty()) {
        if (id.empty() || !hasId(page, id))
            return "no element with this id on the page";
        return {};
    }
    if (HelpPages::fileFor("/" + file) != file)
        return "not a plain help file name (an address, a path or a folder breaks on disk or "
               "when served)";
    if (!fs::is_regular_file(folder / file))
        return "no such file in the help folder";
    if (!id.empty() && !hasId(readAll(folder / file), id))
        return "no element with this id in " + file;
    return {};
}

TEST(HelpPages, EveryLinkOfEveryPageNamesAFileOfTheHelpFolder) {
    const fs::path folder = BREVANE_HELP_DIR;
    const std::regex attribute(R"re(\b(?:href|src)\s*=\s*(?:"([^"]*)"|'([^']*)'))re",
                               std::regex::icase);
    const std::regex cssUrl(R"re((?:url\(\s*["']?|@import\s+["'])([^"')\s]+))re",
                            std::regex::icase);
    int pages = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        const std::string ext = entry.path().extension().string();
        if (ext != ".html" && ext != ".css")
            continue;
        const std::string text = readAll(entry.path());
        const std::regex& pattern = ext == ".html" ? attribute : cssUrl;
        std::set<std::string> references;
        for (auto m = std::sregex_iterator(text.begin(), text.end(), pattern);
             m != std::sregex_iterator(); ++m) {
            const std::string reference = (*m)[1].matched ? (*m)[1].str() : (*m)[2].str();
            references.insert(reference);
            EXPECT_EQ(problemWith(folder, text, reference), "") << name << ": " << reference;
        }
        if (ext == ".html") {
            ++pages;
            EXPECT_TRUE(references.count("style.css")) << name << " does not use style.css";
            EXPECT_TRUE(references.count("index.html")) << name << " has no way to the contents";
            EXPECT_EQ(text.find("<script"), std::string::npos) << name;
        }
    }
    EXPECT_GE(pages, 5);
}

} // namespace
