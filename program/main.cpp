#include <cstdio>
#include <string>

#include "capture.h"
#include "command_line.h"
#include "connection_setup.h"
#include "follower.h"
#include "interrupt.h"
#include "playback_files.h"
#include "run_state.h"
#include "sequence.h"
#include "sequence_summary.h"
#include "shutdown.h"
#include "stimulus.h"
#include "transfer.h"

namespace {

// How a run that got past the command line ends; the value is its exit status.
enum class run_end {
    completed = 0,  // everything asked for was done (or a signal ends the process)
    refused = 1,    // a playback file, an extended stimulus or a file clash, refused at once
    failed = 2,     // a step failed after the command line was accepted
};

int finish(int status) {
    std::fflush(stdout);
    finish_catching_interrupts();
    return status;
}

// A signal noted before output starts ends the run at the next step.
bool interrupted() { return report_interrupt() != 0; }

// From the connection to the end of the transfer. Every way out leads to the
// shutdown, except the playback-file and extended-stimulus errors.
run_end connect_stage_and_transfer(run_settings &settings, run_state &run) {
    setup_result setup = set_up_connection(settings, run);
    if (setup != setup_result::ready) return setup == setup_result::done ? run_end::completed : run_end::failed;
    if (interrupted()) return run_end::completed;
    plan_sequence(settings, run.output_channels);
    if (!open_capture_files(settings, run.input_channels, run.capture)) return run_end::failed;
    if (!read_playback_files(settings, run.output_channels, run.playback)) return run_end::refused;
    if (interrupted()) return run_end::completed;
    if (!set_loopback(settings, run.instance)) return run_end::failed;
    if (!choose_stimuli(settings, run.output_channels, run.stimuli, run.playback, run.stimulus))
        return run_end::refused;
    // Past the last refusal: the capture files are now this run's.
    if (!empty_capture_files(run.capture)) return run_end::failed;
    if (interrupted()) return run_end::completed;
    if (!stage_sequence(settings, run.instance, run.output_channels, run.stimulus, run.playback.sequence_length,
                        run.capture_blocks))
        return run_end::failed;
    std::fputs(format_sequence_summary(settings, run.playback.sequence_length).c_str(), stdout);
    if (interrupted()) return run_end::completed;
    if (!start_output(settings, run) || !transfer_until_end(settings, run)) return run_end::failed;
    return run_end::completed;
}

}  // namespace

int main(int argc, char **argv) {
    run_settings settings;
    std::string parse_output;
    command_line_result parsed = parse_command_line(argc, argv, settings, parse_output);
    std::fputs(parse_output.c_str(), stdout);
    if (!parsed.proceed) return finish(parsed.exit_status);
    setup_follower(settings.sample_rate);
    start_catching_interrupts();

    run_state run;
    run_end end = run_end::failed;
    if (generate_stimuli(settings, run.stimuli) &&
        allocate_capture_buffer(settings.samples_per_block, run.capture_buffer))
        end = connect_stage_and_transfer(settings, run);
    if (end == run_end::refused) {
        release_run(run);
        return finish(static_cast<int>(end));
    }
    if (run.output_started && !wait_for_codec_halt(run.instance)) end = run_end::failed;
    if (!shut_down(run)) end = run_end::failed;
    return finish(static_cast<int>(end));
}
