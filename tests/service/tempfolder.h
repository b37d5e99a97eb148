// TempFolder: a fresh folder under the system's temporary folder, removed with its contents
// when the object goes.
#pragma once

#include <filesystem>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path file(const char* name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};
