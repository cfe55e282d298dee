#include "output_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "gen_error.h"

namespace {

gen_error cannot_write(const std::string &path, int error) {
    return gen_error(io_status, "Cannot write " + path + ": " + std::strerror(error) + ".");
}

constexpr int stopping_signals[] = {SIGINT, SIGTERM, SIGHUP};

void note_signal(int number) { interrupting_signal = number; }

void check_interrupted() {
    if (interrupting_signal) throw gen_error(io_status, "Interrupted: no file written.");
}

}  // namespace

volatile std::sig_atomic_t interrupting_signal = 0;

pending_outputs::pending_outputs() {
    for (int number : stopping_signals) std::signal(number, note_signal);
}

pending_outputs::~pending_outputs() {
    for (const entry &e : entries) unlink(e.temporary.c_str());
    for (int number : stopping_signals) std::signal(number, SIG_DFL);
}

void pending_outputs::write(const std::string &path, const void *data, size_t bytes, int64_t repeats) {
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) throw cannot_write(path, EISDIR);
    std::string name = path + ".XXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) throw cannot_write(path, errno);
    entries.push_back({name, path});
    FILE *file = fdopen(fd, "wb");
    if (!file) {
        int error = errno;
        close(fd);
        throw cannot_write(path, error);
    }
    bool ok = true;
    for (int64_t r = 0; r < repeats && ok && !interrupting_signal; ++r) ok = std::fwrite(data, 1, bytes, file) == bytes;
    int error = errno;
    if (std::fclose(file) != 0 && ok) ok = false, error = errno;
    if (!ok) throw cannot_write(path, error);
    check_interrupted();
}

void pending_outputs::commit() {
    check_interrupted();
    for (const entry &e : entries) {
        chmod(e.temporary.c_str(), 0644);
        if (std::rename(e.temporary.c_str(), e.final.c_str()) != 0) throw cannot_write(e.final, errno);
    }
    entries.clear();
}
