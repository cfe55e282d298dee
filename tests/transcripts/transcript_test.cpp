// Runs the transcripts under cases/. A transcript is lines of these kinds:
//   # a comment
//   = NAME          a file in the run's folder: the lines up to a lone "="
//   @ vesksim ARGS  starts vesksim; %SIM% in later words is its address
//   $ PROGRAM ARGS  a run in the run's folder (words split at blanks,
//                   'quoted' ones kept whole); "cat FILE" and "ls" show
//                   the folder
// and, after a run, what it must print: standard output, then each line of
// standard error behind "! ", then "[N]" when the exit status N is not 0.
// The run's folder shows as %DIR%.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <memory>
#include <sstream>

#include <unistd.h>

#include "built_program.h"
#include "child_process.h"
#include "temp_folder.h"
#include "text_lines.h"
#include "vesksim_child.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::vector<std::string> words_of(const std::string &line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> std::quoted(word, '\'', '\x01');) words.push_back(word);  // no escapes
    return words;
}

void replace_all(std::string &text, const std::string &from, const std::string &to) {
    for (size_t at = 0; !from.empty() && (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

// What a run printed, in the transcript's form.
std::string transcript_of(const std::vector<std::string> &words, const temp_folder &folder) {
    if (words[0] == "cat") return text_of(folder / words.at(1));
    if (words[0] == "ls") {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(folder.path)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        std::string text;
        for (const std::string &name : names) text += name + "\n";
        return text;
    }
    temp_folder error_folder;
    child_process run(built_program(words[0].c_str()), {words.begin() + 1, words.end()}, folder.path,
                      error_folder / "stderr");
    const int status = exit_status(run.finish(20s));
    std::string text = run.output();
    for (const std::string &line : lines_of(text_of(error_folder / "stderr"))) text += "! " + line + "\n";
    if (status != 0) text += "[" + std::to_string(status) + "]\n";
    replace_all(text, folder.path.string(), "%DIR%");
    return text;
}

class Transcript : public testing::TestWithParam<std::string> {};

TEST_P(Transcript, RunsAsWritten) {
    const std::string text = text_of(fs::path(VESK_TRANSCRIPTS) / (GetParam() + ".t"));
    ASSERT_NE(text.find("$ "), std::string::npos) << "no run in " << GetParam();
    std::istringstream in(text);
    close(0);  // the programs start without standard input: the first file each opens is descriptor 0
    temp_folder folder;
    std::unique_ptr<vesksim_child> sim;
    std::vector<std::string> run;
    std::string expected;
    int run_line = 0;
    auto check_run = [&] {
        if (run.empty()) return;
        SCOPED_TRACE(GetParam() + ".t:" + std::to_string(run_line));
        EXPECT_EQ(transcript_of(run, folder), expected);
        run.clear();
        expected.clear();
    };
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string rest = line.size() > 2 ? line.substr(2) : "";
        if (line.starts_with("# ")) continue;
        if (line.starts_with("$ ") || line.starts_with("= ") || line.starts_with("@ ")) check_run();
        if (line.starts_with("$ ")) {
            if (sim) replace_all(line, "%SIM%", sim->address());
            run = words_of(line.substr(2));
            run_line = number;
        } else if (line.starts_with("= ")) {
            std::ofstream file(folder / rest, std::ios::binary);
            while (std::getline(in, line) && ++number && line != "=") file << line << '\n';
        } else if (line.starts_with("@ vesksim")) {
            sim = std::make_unique<vesksim_child>(words_of(line.substr(9)));
        } else {
            ASSERT_FALSE(run.empty()) << GetParam() << ".t:" << number << ": output before any run";
            expected += line + "\n";
        }
    }
    check_run();
}

std::vector<std::string> transcripts() {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(VESK_TRANSCRIPTS))
        if (entry.path().extension() == ".t") names.push_back(entry.path().stem());
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, Transcript, testing::ValuesIn(transcripts()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

}  // namespace
