// Reading the command line into run_settings. The parse never exits the
// process: it returns what main must do, and the text to print first.
#pragma once

#include <string>

#include "run_settings.h"

struct command_line_result {
    bool proceed;     // true: the run goes on with the settings
    int exit_status;  // when not proceeding: 0 for help and version, 1 for a refused command line
};

// argv[0] is the program name; the words after it are read. Everything the
// parse prints (notices, the failure message, usage or version) is appended
// to output, in order. Files named by the options that would overwrite each
// other refuse the command line too (they are looked at, never opened).
command_line_result parse_command_line(int argc, const char *const *argv, run_settings &settings, std::string &output);
