// A fresh folder under the system's temporary folder, removed with its
// contents when the test is done with it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

struct temp_folder {
    std::filesystem::path path;
    temp_folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "veskplay-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~temp_folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    temp_folder(const temp_folder &) = delete;
    temp_folder &operator=(const temp_folder &) = delete;
    std::filesystem::path operator/(const std::string &name) const { return path / name; }
};
