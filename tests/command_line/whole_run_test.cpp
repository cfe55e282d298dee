// Whole runs of the built program for the texts that end the process early:
// standard output compared line by line, nothing on standard error, and the
// exit status. Every run names a loopback address, though none connects.
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "built_program.h"
#include "child_process.h"
#include "expected_texts.h"
#include "temp_folder.h"

namespace {

struct finished_run {
    int exit_status = -1;
    std::string out;
    std::string err;
};

finished_run run_veskplay(std::vector<std::string> words)
{
    temp_folder folder;
    words.insert(words.begin(), {"-a", "127.0.0.1:9"});
    finished_run run;
    {
        child_process child(built_program("VESKPLAY"), words, {}, folder / "stderr");
        run.exit_status = exit_status(child.finish(std::chrono::seconds(10)));
        run.out = child.output();
    }
    std::ifstream err(folder / "stderr");
    std::ostringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
}

TEST(WholeRun, HelpPrintsTheUsageAndEndsWithZero)
{
    finished_run run = run_veskplay({"-h"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(lines_of(run.out), expected_usage_lines());
    EXPECT_EQ(run.err, "");
}

TEST(WholeRun, VersionPrintsTwoLinesAndEndsWithZero)
{
    finished_run run = run_veskplay({"-v", "-b", "0"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_TRUE(is_version_text(run.out)) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST(WholeRun, BadValueEndsWithOneMessageAndOne)
{
    finished_run run = run_veskplay({"-w", "-b", "0", "-h"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(lines_of(run.out),
              (std::vector<std::string>{"Requesting ramp-up and ramp-down blocks.", "Block count must be at least 1."}));
    EXPECT_EQ(run.err, "");
}

}  // namespace
