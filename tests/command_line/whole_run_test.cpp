// Whole runs of the built program for the texts that end the process early:
// standard output compared line by line with its golden transcript, nothing
// on standard error, and the exit status. Every run names a loopback
// address, though none connects.
#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "built_program.h"
#include "child_process.h"
#include "run_settings.h"
#include "temp_folder.h"
#include "text_lines.h"

namespace {

using lines = std::vector<std::string>;

// The build date and time are the compiler's: "Mmm dd yyyy hh:mm:ss", the day
// padded with a blank. The built-in server address is the program's own
// constant; no test names a device's address.
std::string with_marks(const std::string &text) {
    static const std::regex build_time("built [A-Z][a-z]{2} [ 123][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\n");
    std::string marked = std::regex_replace(text, build_time, "built <time>\n");
    const std::string address = std::string("(default = ") + default_server_address + ")";
    if (std::size_t at = marked.find(address); at != std::string::npos)
        marked.replace(at, address.size(), "(default = <server address>)");
    return marked;
}

TEST(WholeRun, EarlyEndsPrintTheirTranscript) {
    const lines usage = lines_of(text_of(VESK_USAGE_TRANSCRIPT));
    const std::string ramp = "Requesting ramp-up and ramp-down blocks.";
    const lines version = {"veskplay 2018.03.30 built <time>",
                           "Supports Plenar-B and Plenar-C3 compatible hardware (including Rev E)"};
    // The words after the address, the exit status, the output before the usage text, and whether it follows.
    const std::tuple<lines, int, lines, bool> cases[] = {
        {{"/?"}, 0, {}, true},
        {{"-w", "-b"}, 1, {ramp}, true},
        {{"-v", "-b", "0"}, 0, version, false},
    };
    for (auto [words, status, out, then_usage] : cases) {
        SCOPED_TRACE(words.back());
        temp_folder folder;
        words.insert(words.begin(), {"-a", "127.0.0.1:9"});
        child_process child(built_program("veskplay"), words, {}, folder / "stderr");
        EXPECT_EQ(exit_status(child.finish(std::chrono::seconds(10))), status);
        if (then_usage) out.insert(out.end(), usage.begin(), usage.end());
        EXPECT_EQ(lines_of(with_marks(child.output())), out);
        EXPECT_EQ(text_of(folder / "stderr"), "");
    }
}

}  // namespace
