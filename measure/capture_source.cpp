#include "capture_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "measure_error.h"

namespace {

std::vector<std::string> split_names(const std::string &names) {
    std::vector<std::string> out;
    size_t from = 0;
    for (;;) {
        size_t comma = names.find(',', from);
        out.push_back(names.substr(from, comma - from));
        if (comma == std::string::npos) return out;
        from = comma + 1;
    }
}

}  // namespace

capture_source open_capture(const std::string &names) {
    capture_source source;
    source.name = names;
    for (const std::string &path : split_names(names)) {
        struct stat info {};
        if (path.empty()) throw measure_error("Empty file name in \"" + names + "\".");
        if (stat(path.c_str(), &info) != 0)
            throw measure_error("Cannot read " + path + ": " + std::strerror(errno) + ".");
        if (!S_ISREG(info.st_mode)) throw measure_error("Cannot read " + path + ": not a regular file.");
        if (info.st_size == 0) throw measure_error(path + " is empty.");
        if (info.st_size % 4 != 0)
            throw measure_error(path + " holds " + std::to_string(info.st_size) +
                                " bytes, not a whole number of 4-byte samples.");
        source.parts.push_back({path, source.samples, info.st_size / 4});
        source.samples += info.st_size / 4;
    }
    return source;
}

void read_samples(const capture_source &source, int64_t first, int64_t count, int32_t *out) {
    for (const capture_source::part &part : source.parts) {
        if (count == 0) return;
        if (first >= part.first + part.samples) continue;
        int64_t take = std::min(count, part.first + part.samples - first);
        int fd = open(part.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) throw measure_error("Cannot read " + part.path + ": " + std::strerror(errno) + ".");
        auto *bytes = reinterpret_cast<char *>(out);
        size_t wanted = static_cast<size_t>(take) * 4;
        off_t offset = (first - part.first) * 4;
        size_t done = 0;
        while (done < wanted) {
            ssize_t got = pread(fd, bytes + done, wanted - done, offset + static_cast<off_t>(done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                std::string why = got < 0 ? std::strerror(errno) : "the file has shrunk";
                close(fd);
                throw measure_error("Cannot read " + part.path + ": " + why + ".");
            }
            done += static_cast<size_t>(got);
        }
        close(fd);
        out += take;
        first += take;
        count -= take;
    }
}
