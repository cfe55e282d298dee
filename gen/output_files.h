// Files are written whole: each goes to a temporary name in its own folder,
// and all are renamed only once every one of them is complete. Whatever was
// not committed is removed.
#pragma once

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

// SIGINT, SIGTERM or SIGHUP while files are pending: the signal's number,
// set by the handler that pending_outputs installs. The writing stops, the
// temporaries go, and the program ends by that signal.
extern volatile std::sig_atomic_t interrupting_signal;

struct pending_outputs {
    pending_outputs();
    ~pending_outputs();  // also restores the signals' default actions
    // Throws gen_error (status 2) when the file cannot be written whole.
    void write(const std::string &path, const void *data, size_t bytes, int64_t repeats = 1);
    void commit();

    struct entry {
        std::string temporary, final;
    };
    std::vector<entry> entries;
};
