#include "transfer.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "call_failure.h"
#include "capture.h"
#include "follower.h"
#include "interrupt.h"

namespace {

constexpr useconds_t drain_interval_us = 50000;
constexpr useconds_t halt_poll_interval_us = 10000;
constexpr int last_halt_wait = 10;

struct transfer_progress {
    uint32_t blocks_received = 0;
    uint32_t first_block_time = 0;  // tick() + 1 at the first block; 0 before it
    bool block_file_skipped = false;
    // The sequence number the next read of the same tag starts at.
    bool have_read = false;
    uint32_t last_tag = 0;
    uint32_t next_sequence = 0;
    uint64_t blocks_skipped = 0;  // by the stream, within a tag
};

enum class drain_end {
    reading,       // no block ready yet: read again after the pause
    stream_ended,  // the server has sent everything staged
    failed,        // a read or a capture file failed (reported)
};

// The mask of every served input channel.
uint32_t input_channel_mask(uint32_t input_channels) {
    return input_channels >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << input_channels) - 1;
}

void sleep_us(useconds_t interval) {
    std::fflush(stdout);
    usleep(interval);
}

// Blocks of one segment that the stream jumped over never reach the files.
void note_skipped_blocks(uint32_t tag, uint32_t sequence, uint32_t count, transfer_progress &progress) {
    uint32_t skipped = sequence - progress.next_sequence;
    if (progress.have_read && tag == progress.last_tag && skipped != 0 && skipped < 0x80000000u) {
        std::printf("The stream skipped %u blocks (tag 0x%08x, sequence %d..%d).\n", skipped, tag,
                    static_cast<int>(progress.next_sequence), static_cast<int>(sequence - 1));
        progress.blocks_skipped += skipped;
    }
    progress.have_read = true;
    progress.last_tag = tag;
    progress.next_sequence = sequence + count;
}

// Reads until no block is ready, the stream ends or something fails.
drain_end drain_input(const run_settings &settings, run_state &run, transfer_progress &progress) {
    const uint32_t n = settings.samples_per_block;
    const std::size_t block_samples = std::size_t{run.input_channels} * n;
    for (;;) {
        // Marks what a short delivery would leave unwritten.
        std::memset(run.capture_buffer.data(), 0xCD, block_samples * sizeof(int32_t));
        uint32_t count = blocks_per_read;
        uint32_t tag = 0;
        uint32_t sequence = 0;
        int32_t code = vesk_read_input(run.instance, input_channel_mask(run.input_channels), run.capture_buffer.data(),
                                       &count, 0, &tag, &sequence);
        if (code != VESK_SUCCESS) {
            print_call_failure("vesk_read_input: %s: %s\n", run.instance, code);
            return code == VESK_END_OF_STREAM ? drain_end::stream_ended : drain_end::failed;
        }
        if (count == 0) return drain_end::reading;
        std::printf("got %d blocks from vesk_read_input (tag 0x%08x, sequence %d..%d)\n", static_cast<int>(count), tag,
                    static_cast<int>(sequence), static_cast<int>(sequence + count - 1));
        note_skipped_blocks(tag, sequence, count, progress);
        for (uint32_t k = 0; k < count; ++k) {
            if (progress.first_block_time == 0) progress.first_block_time = tick() + 1;
            ++progress.blocks_received;
            block_capture captured =
                handle_captured_block(settings, run.input_channels, run.capture_buffer.data() + k * block_samples,
                                      progress.blocks_received, run.capture.stream);
            if (captured == block_capture::write_failed) return drain_end::failed;
            if (captured == block_capture::file_skipped) progress.block_file_skipped = true;
        }
    }
}

bool early_stop_due(uint32_t stop_ms, uint32_t first_block_time) {
    return stop_ms != 0 && first_block_time != 0 && tick() - first_block_time + 1 >= stop_ms;
}

bool stop_output(vesk_instance *instance) {
    int32_t code = vesk_control_output(instance, VESK_OUTPUT_STOP);
    if (code != VESK_SUCCESS) print_call_failure("vesk_control_output (stop): %s: %s\n", instance, code);
    return code == VESK_SUCCESS;
}

// The library offers no query for this, but it takes a block size only
// while not connected; the same size again changes nothing.
bool still_connected(vesk_instance *instance, uint32_t samples_per_block) {
    return vesk_control(instance, VESK_CONTROL_BLOCK_SIZE, static_cast<int32_t>(samples_per_block)) == VESK_CONNECTED;
}

}  // namespace

bool start_output(const run_settings &settings, run_state &run) {
    uint32_t start = settings.synchronized ? VESK_OUTPUT_START : VESK_OUTPUT_START_UNSYNCHRONIZED;
    int32_t code = vesk_control_output(run.instance, start);
    if (code != VESK_SUCCESS) {
        print_call_failure("vesk_control_output (start): %s: %s\n", run.instance, code);
        return false;
    }
    std::printf("In progress.\n");
    run.output_started = true;
    return true;
}

bool transfer_until_end(const run_settings &settings, run_state &run) {
    transfer_progress progress;
    drain_end end = drain_end::reading;
    bool stopped = true;
    bool stop_asked = false;
    while (end == drain_end::reading) {
        sleep_us(drain_interval_us);
        end = drain_input(settings, run, progress);
        // Checked after every drain, also after one that ended the transfer.
        if (early_stop_due(settings.stop_ms, progress.first_block_time)) {
            std::printf("Stopping playback after %u ms\n", tick() - progress.first_block_time + 1);
            stopped = stop_output(run.instance);
            stop_asked = true;
            if (end == drain_end::reading) end = drain_end::stream_ended;
        } else if (end == drain_end::reading && report_interrupt() != 0) {
            // An interrupt stops playback as the early stop does.
            stop_output(run.instance);
            stop_asked = true;
            end = drain_end::stream_ended;
        } else if (end == drain_end::failed && still_connected(run.instance, settings.samples_per_block)) {
            // Nothing may go on playing (a loop for ever) once veskplay has ended.
            stop_output(run.instance);
        }
    }
    // A looped sequence has no end to reach.
    bool whole_stream = true;
    uint64_t through = progress.blocks_received + progress.blocks_skipped;
    if (end == drain_end::stream_ended && !stop_asked && settings.extended_mode != 2 && through < run.capture_blocks) {
        std::printf("The stream ended after %llu of %llu capture blocks.\n", static_cast<unsigned long long>(through),
                    static_cast<unsigned long long>(run.capture_blocks));
        whole_stream = false;
    }
    return end == drain_end::stream_ended && stopped && !progress.block_file_skipped && progress.blocks_skipped == 0 &&
           whole_stream;
}

bool wait_for_codec_halt(vesk_instance *instance) {
    for (int waits = 0;; ++waits) {
        uint32_t state = 0;
        uint32_t unused = 0xFFFFFFFFu;
        int32_t code = vesk_query(instance, VESK_QUERY_PLAYBACK, &state, &unused, nullptr, nullptr);
        report_interrupt();  // the wait goes on: it is short, and the codec must stop
        if (code != VESK_SUCCESS) {
            print_call_failure("vesk_query (playback): %s: %s\n", instance, code);
            return false;
        }
        if (state == VESK_PLAYBACK_HALTED) {
            std::printf("Codec has halted\n");
            return true;
        }
        if (waits == 0) std::printf("Waiting for codec to stop playing\n");
        sleep_us(halt_poll_interval_us);
        report_interrupt();
        if (waits == last_halt_wait) {
            std::printf("Waited too long for codec to stop playing\n");
            return false;
        }
    }
}
