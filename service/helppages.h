// HelpPages: the pages the program opens on its maker's web host, read from a help folder.
// Only the fixed paths below are served, each from one named file of the folder, so no request
// path ever reaches the file system.
//   /                                         index.html
//   /help/brevane/                            index.html
//   /translation/                             translation.html
//   /blog/credits-and-acknowledgements/       acknowledgements.html
//   /blog/how-to-uninstall-tarnick-software/  uninstall.html
//   /download/                                download.html
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class HelpPages {
public:
    explicit HelpPages(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    // The file name a path maps to, or nullptr for a path that is not a help page.
    static const char* fileFor(std::string_view urlPath);
    // The page's HTML, or nullopt when the path is not a page or its file cannot be read.
    std::optional<std::string> read(std::string_view urlPath) const;

private:
    std::filesystem::path m_folder;
};
