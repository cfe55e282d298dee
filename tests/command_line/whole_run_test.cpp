// Whole runs of the built program for the texts that end the process early:
// standard output compared line by line, nothing on standard error, and the
// exit status. Every run names a loopback address, though none connects.
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "expected_texts.h"

extern char **environ;

namespace {

struct finished_run {
    int exit_status = -1;
    std::string out;
    std::string err;
};

std::string contents_of(FILE *file)
{
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    std::fclose(file);
    return text;
}

finished_run run_veskplay(std::vector<std::string> words)
{
    finished_run run;
    const char *program = std::getenv("VESKPLAY");
    if (!program) {
        ADD_FAILURE() << "VESKPLAY is not set";
        return run;
    }
    words.insert(words.begin(), {program, "-a", "127.0.0.1:9"});
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    FILE *out = std::tmpfile();
    FILE *err = std::tmpfile();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fileno(out), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fileno(err), STDERR_FILENO);
    pid_t pid = -1;
    int spawned = posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            run.exit_status = WEXITSTATUS(status);
    } else {
        ADD_FAILURE() << "cannot start " << program;
    }
    run.out = contents_of(out);
    run.err = contents_of(err);
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
