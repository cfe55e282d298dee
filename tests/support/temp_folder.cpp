#include "temp_folder.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

temp_folder::temp_folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "veskplay-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path = pattern;
}

temp_folder::~temp_folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}
