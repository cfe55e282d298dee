// Result files are written whole: each goes to a temporary name beside its
// final one, and all are renamed only once every one of them is complete.
#pragma once

#include <string>
#include <vector>

struct pending_outputs {
    ~pending_outputs();  // removes what was not committed
    // A temporary name beside path, reserved for the caller to fill.
    std::string reserve(const std::string &path);
    void write(const std::string &path, const std::string &text);  // reserve and fill
    void commit();

    struct entry {
        std::string temporary, final;
    };
    std::vector<entry> entries;
};
