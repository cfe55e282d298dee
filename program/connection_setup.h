// From vesk_init to the channel counts: time-outs, block size, connection,
// the Plenar-C3 set-up word and master state, the sample rate.
#pragma once

#include "run_settings.h"
#include "run_state.h"

// Fills run.instance, run.connected and the channel counts. false: the run
// goes to the shutdown (a failure, or -o has done its work); the reason has
// been printed.
bool set_up_connection(const run_settings &settings, run_state &run);
