// veskmeasure run as a child process, its standard output and error kept.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct measure_result {
    int status = -1;
    std::string output, error;
};

// Runs veskmeasure with args in folder work; with a search path, with PATH
// set to it.
measure_result run_veskmeasure(const std::vector<std::string> &args, const std::filesystem::path &work,
                               const std::string &search_path = {});
