// The end of every run that got past the command line.
#pragma once

#include "run_state.h"

// The one shutdown path: disconnect, "Shutting down.", release everything,
// "Done.".
void shut_down(run_state &run);

// For the errors that end the process at once with status 1: releases
// everything without a word.
void release_run(run_state &run);
