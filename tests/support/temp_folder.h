// A fresh folder under the system's temporary folder, removed with its
// contents when the test is done with it.
#pragma once

#include <filesystem>
#include <string>

struct temp_folder {
    std::filesystem::path path;
    temp_folder();
    ~temp_folder();
    temp_folder(const temp_folder &) = delete;
    temp_folder &operator=(const temp_folder &) = delete;
    std::filesystem::path operator/(const std::string &name) const { return path / name; }
};
