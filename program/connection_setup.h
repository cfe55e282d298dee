// From vesk_init to the channel counts: time-outs, block size, connection,
// the Plenar-C3 set-up word and master state, the sample rate.
#pragma once

#include "run_settings.h"
#include "run_state.h"

enum class setup_result {
    ready,   // connected, with the channel counts: the run goes on
    done,    // -o has done what it asked
    failed,  // reported
};

// Fills run.instance, run.connected and the channel counts.
setup_result set_up_connection(const run_settings &settings, run_state &run);
