// Which request paths name a help file.
#include "helppages.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

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

} // namespace
