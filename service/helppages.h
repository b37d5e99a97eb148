// HelpPages: the help pages the program opens on its maker's web host, read from a help folder.
// The pages link to each other and to their stylesheet by plain file names, so that the same
// files work opened from disk and served here. A request is answered from the folder when
//   - its path is one of the fixed paths the program opens:
//       /                                         index.html
//       /help/brevane/                            index.html
//       /translation/                             translation.html
//       /blog/credits-and-acknowledgements/       acknowledgements.html
//       /blog/how-to-uninstall-tarnick-software/  uninstall.html
//       /download/                                download.html
//   - or its last segment is a safe file name (letters, digits, ".", "_" and "-", no leading
//     dot) ending in .html, .css, .svg or .png, whatever folders precede it, so a relative link
//     followed from any page reaches its file: /help/brevane/ports.html and /ports.html are the
//     same file.
// Only that one name is looked up, directly in the folder, so no request path ever names another
// place: a path with a "." or ".." segment, a backslash or a control character is refused, and
// the file must be a regular file reached without a symbolic link.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class HelpPages {
public:
    struct File {
        std::string content;
        const char* contentType = nullptr;
    };

    // The largest file served; help pages and their pictures are far smaller.
    static constexpr std::size_t kMaxFileBytes = 8 * 1024 * 1024;

    explicit HelpPages(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    // The file name a (decoded) request path maps to, or nullopt for a path that names none.
    static std::optional<std::string> fileFor(std::string_view urlPath);
    // The Content-Type of a file name fileFor() gave.
    static const char* contentTypeOf(std::string_view fileName);
    // The file's content and type, or nullopt when the path names no file or it cannot be read.
    std::optional<File> read(std::string_view urlPath) const;

private:
    std::filesystem::path m_folder;
};
