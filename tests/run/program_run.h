// Whole runs of the built programs: start one as a child process, collect
// its standard output, and stop it by its pid if it outlives its time.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "built_program.h"
#include "temp_folder.h"

struct program_result {
    int status = -1;  // exit status; -1 when it did not exit normally
    bool timed_out = false;
    std::string output;

    std::vector<std::string> lines() const;
};

// Runs program with args in folder work (when not empty) and waits for it
// to end, at most limit.
program_result run_program(const std::string &program, const std::vector<std::string> &args,
                           const std::filesystem::path &work = {},
                           std::chrono::milliseconds limit = std::chrono::seconds(60));

// The lines a run prints from "Shutting down." on.
inline const std::vector<std::string> shutdown_lines = {"Shutting down.", "Done."};

// The last count lines of a transcript (all of them when there are fewer).
std::vector<std::string> last_lines(const std::vector<std::string> &lines, std::size_t count);

std::vector<uint8_t> read_file(const std::filesystem::path &file);
void write_file(const std::filesystem::path &file, const std::vector<uint8_t> &bytes);
// 32-bit samples in host order, as playback and capture files hold them.
std::vector<uint8_t> host_order_bytes(const std::vector<int32_t> &samples);

inline std::vector<std::string> concat(std::vector<std::string> first, const std::vector<std::string> &second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}
