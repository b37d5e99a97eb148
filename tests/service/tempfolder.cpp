#include "tempfolder.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brevane-service-XXXXXX");
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}
