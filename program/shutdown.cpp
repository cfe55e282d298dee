#include "shutdown.h"

#include <cstdio>

#include "capture.h"
#include "follower.h"
#include "interrupt.h"

namespace {

void disconnect(run_state &run) {
    if (run.connected) vesk_connect(run.instance, nullptr);
    run.connected = false;
}

// refused: the run was refused before it went ahead, and leaves the capture
// files as it found them.
bool release_resources(run_state &run, bool refused) {
    vesk_shutdown(run.instance);
    run.instance = nullptr;
    cleanup_follower();
    bool closed = true;
    if (refused)
        discard_capture_files(run.capture);
    else
        closed = empty_capture_files(run.capture) && close_capture_streams(run.capture.stream);
    run.stimulus = {};
    run.stimuli = {};
    run.playback = {};
    sample_block().swap(run.capture_buffer);
    return closed;
}

}  // namespace

bool shut_down(run_state &run) {
    disconnect(run);
    report_interrupt();
    std::printf("Shutting down.\n");
    bool closed = release_resources(run, false);
    report_interrupt();
    std::printf("Done.\n");
    std::fflush(stdout);
    return closed;
}

void release_run(run_state &run) {
    disconnect(run);
    release_resources(run, true);
    std::fflush(stdout);
}
