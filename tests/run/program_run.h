// Whole runs of the built programs: start one as a child process, collect
// its standard output, and stop it by its pid if it outlives its time.
#pragma once

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "built_program.h"
#include "child_process.h"
#include "temp_folder.h"
#include "text_lines.h"

// The address sanitizer's runtime reserves more address space than any
// memory limit a test sets.
#ifdef __SANITIZE_ADDRESS__
constexpr bool address_sanitized = true;
#else
constexpr bool address_sanitized = false;
#endif

struct program_result {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string output;

    std::vector<std::string> lines() const { return lines_of(output); }
};

// Runs program with args in folder work (when not empty) and waits for it
// to end, at most limit.
inline program_result run_program(const std::string &program, const std::vector<std::string> &args,
                                  const std::filesystem::path &work = {},
                                  std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    child_process child(program, args, work);
    int wait_status = child.finish(limit);
    return {exit_status(wait_status), child.output()};
}

// The lines a run prints from "Shutting down." on.
inline const std::vector<std::string> shutdown_lines = {"Shutting down.", "Done."};

// The first count lines of a transcript (all of them when there are fewer).
inline std::vector<std::string> first_lines(const std::vector<std::string> &lines, std::size_t count) {
    return {lines.begin(), lines.begin() + std::ptrdiff_t(std::min(count, lines.size()))};
}

// The last count lines of a transcript (all of them when there are fewer).
inline std::vector<std::string> last_lines(const std::vector<std::string> &lines, std::size_t count) {
    return {lines.end() - std::ptrdiff_t(std::min(count, lines.size())), lines.end()};
}

inline std::vector<uint8_t> read_file(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path &file, const std::vector<uint8_t> &bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

// 32-bit samples in host order, as playback and capture files hold them.
inline std::vector<uint8_t> host_order_bytes(const std::vector<int32_t> &samples) {
    std::vector<uint8_t> bytes(samples.size() * sizeof(int32_t));
    if (!bytes.empty()) std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

// "-s 64 -z" as {"-s", "64", "-z"}.
inline std::vector<std::string> words(const std::string &text) {
    std::vector<std::string> split;
    std::istringstream in(text);
    for (std::string word; in >> word;) split.push_back(word);
    return split;
}

inline std::vector<std::string> concat(std::vector<std::string> first, const std::vector<std::string> &second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}
