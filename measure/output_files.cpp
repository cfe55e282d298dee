#include "output_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
