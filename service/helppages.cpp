#include "helppages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr struct {
    std::string_view path;
    std::string_view file;
} kFixedPaths[] = {
    {"/", "index.html"},
    {"/help/brevane/", "index.html"},
    {"/translation/", "translation.html"},
    {"/blog/credits-and-acknowledgements/", "acknowledgements.html"},
    {"/blog/how-to-uninstall-tarnick-software/", "uninstall.html"},
    {"/download/", "download.html"},
};

constexpr struct {
    std::string_view extension;
    const char* contentType;
} kTypes[] = {
    {".html", "text/html; charset=utf-8"},
    {".css", "text/css; charset=utf-8"},
    {".svg", "image/svg+xml"},
    {".png", "image/png"},
};

bool isSafeNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

bool isServedName(std::string_view name) {
    if (name.empty() || name.front() == '.')
        return false;
    for (char c : name) {
        if (!isSafeNameCharacter(c))
            return false;
    }
    return HelpPages::contentTypeOf(name) != nullptr;
}

// No segment between slashes may be "." or "..", and nothing in the path may be a backslash or
// a control character, whatever the last segment is.
bool isPlainPath(std::string_view path) {
    if (path.empty() || path.front() != '/')
        return false;
    for (char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\' || u < 0x20 || u == 0x7F)
            return false;
    }
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        if (segment == "." || segment == "..")
            return false;
        start = end + 1;
    }
    return true;
}

// The whole of a regular file, opened without following a symbolic link; nullopt for anything
// else (a link, a folder, a FIFO, a device), a file that cannot be read or one too large.
std::optional<std::string> readRegularFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> content;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
        static_cast<unsigned long long>(info.st_size) <= HelpPages::kMaxFileBytes) {
        std::string bytes;
        char buffer[16384];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > HelpPages::kMaxFileBytes)
                break;
            if (n == 0) {
                content = std::move(bytes);
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return content;
}

} // namespace

std::optional<std::string> HelpPages::fileFor(std::string_view urlPath) {
    for (const auto& fixed : kFixedPaths) {
        if (fixed.path == urlPath)
            return std::string(fixed.file);
    }
    if (!isPlainPath(urlPath))
        return std::nullopt;
    const std::string_view name = urlPath.substr(urlPath.rfind('/') + 1);
    if (!isServedName(name))
        return std::nullopt;
    return std::string(name);
}

const char* HelpPages::contentTypeOf(std::string_view fileName) {
    for (const auto& type : kTypes) {
        if (fileName.size() > type.extension.size() && fileName.ends_with(type.extension))
            return type.contentType;
    }
    return nullptr;
}

std::optional<HelpPages::File> HelpPages::read(std::string_view urlPath) const {
    const auto name = fileFor(urlPath);
    if (!name)
        return std::nullopt;
    auto content = readRegularFile(m_folder / *name);
    if (!content)
        return std::nullopt;
    return File{std::move(*content), contentTypeOf(*name)};
}
