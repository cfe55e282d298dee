#include "shutdown.h"

#include <cstdio>

#include "capture.h"
#include "follower.h"

namespace {

void disconnect(run_state &run)
{
    if (run.connected)
        vesk_connect(run.instance, nullptr);
    run.connected = false;
}

void release_resources(run_state &run)
{
    vesk_shutdown(run.instance);
    run.instance = nullptr;
    cleanup_follower();
    close_capture_streams(run.capture_stream);
    run.stimulus = {};
    run.stimuli = {};
    run.playback = {};
    sample_block().swap(run.capture_buffer);
}

}  // namespace

void shut_down(run_state &run)
{
    disconnect(run);
    std::printf("Shutting down.\n");
    release_resources(run);
    std::printf("Done.\n");
    std::fflush(stdout);
}

void release_run(run_state &run)
{
    disconnect(run);
    release_resources(run);
    std::fflush(stdout);
}
