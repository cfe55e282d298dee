#include "output_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "measure_error.h"

pending_outputs::~pending_outputs() {
    for (const entry &e : entries) unlink(e.temporary.c_str());
}

std::string pending_outputs::reserve(const std::string &path) {
    std::string name = path + ".XXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) throw measure_error("Cannot write " + path + ": " + std::strerror(errno) + ".");
    close(fd);
    entries.push_back({name, path});
    return name;
}

void pending_outputs::write(const std::string &path, const std::string &text) {
    std::string name = reserve(path);
    FILE *file = std::fopen(name.c_str(), "w");
    bool ok = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int error = errno;
    if (file && std::fclose(file) != 0 && ok) ok = false, error = errno;
    if (!ok) throw measure_error("Cannot write " + path + ": " + std::strerror(error) + ".");
}

void pending_outputs::commit() {
    for (const entry &e : entries) {
        chmod(e.temporary.c_str(), 0644);
        if (std::rename(e.temporary.c_str(), e.final.c_str()) != 0)
            throw measure_error("Cannot write " + e.final + ": " + std::strerror(errno) + ".");
    }
    entries.clear();
}

namespace {

// The same file: the same path once normalised, or the same inode.
bool same_file(const std::string &a, const std::string &b) {
    namespace fs = std::filesystem;
    if (fs::path(a).lexically_normal() == fs::path(b).lexically_normal()) return true;
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

void refuse_overwriting(const std::vector<std::pair<std::string, std::string>> &outputs,
                        const std::vector<std::string> &inputs) {
    for (size_t i = 0; i < outputs.size(); ++i) {
        const auto &[option, path] = outputs[i];
        for (const std::string &input : inputs)
            if (same_file(path, input))
                throw measure_error(option + " " + path + " would overwrite the input " + input + ".");
        for (size_t j = 0; j < i; ++j)
            if (same_file(path, outputs[j].second))
                throw measure_error(outputs[j].first + " and " + option + " both name " + path + ".");
    }
}
