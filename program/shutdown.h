// The end of every run that got past the command line.
#pragma once

#include "run_state.h"

// The one shutdown path: disconnect, "Shutting down.", release everything,
// "Done.". false: a capture file could not be closed (reported).
bool shut_down(run_state &run);

// For the errors that end the process at once with status 1: releases
// everything without a word and leaves the capture files as it found them.
void release_run(run_state &run);
