// Result files are written whole: each goes to a temporary name beside its
// final one, and all are renamed only once every one of them is complete.
#pragma once

#include <string>
#include <utility>
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

// Refuses (measure_error) an output that names an input, by path or by the
// file it already is, and two outputs on one file. outputs are (option, path).
void refuse_overwriting(const std::vector<std::pair<std::string, std::string>> &outputs,
                        const std::vector<std::string> &inputs);
