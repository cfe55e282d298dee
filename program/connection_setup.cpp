#include "connection_setup.h"

#include <strings.h>

#include <cstdio>
#include <string>

#include "call_failure.h"
#include "device_facts.h"
#include "format_text.h"
#include "hardware_settings.h"

namespace {

// what: the setting named in the failure report, "vesk_control (what): ...".
bool control(vesk_instance *instance, uint32_t code, int32_t value, const char *what) {
    int32_t result = vesk_control(instance, code, value);
    if (result == VESK_SUCCESS) return true;
    std::printf("vesk_control (%s): ", what);
    print_call_failure("%s: %s\n", instance, result);
    return false;
}

bool create_and_connect(const run_settings &settings, run_state &run) {
    run.instance = vesk_init(settings.debug_mask, settings.log_path);
    if (!run.instance) {
        std::printf("vesk_init: %s\n", vesk_errtext(run.instance));
        return false;
    }
    if (settings.connect_timeout_ms >= 0 &&
        !control(run.instance, VESK_CONTROL_CONNECT_TIMEOUT, settings.connect_timeout_ms, "connect timeout"))
        return false;
    if (settings.progress_timeout_ms >= 0 &&
        !control(run.instance, VESK_CONTROL_PROGRESS_TIMEOUT, settings.progress_timeout_ms, "progress timeout"))
        return false;
    // The library takes the block size only before connecting.
    if (!control(run.instance, VESK_CONTROL_BLOCK_SIZE, static_cast<int32_t>(settings.samples_per_block),
                 "samples per block"))
        return false;
    int32_t code = vesk_connect(run.instance, settings.server_address);
    if (code != VESK_SUCCESS) {
        print_call_failure("vesk_connect: %s: %s.\n", run.instance, code);
        return false;
    }
    run.connected = true;
    return true;
}

// On Plenar-C3 hardware the set-up word always goes out before audio runs.
setup_result apply_hardware_setup(const run_settings &settings, vesk_instance *instance, uint32_t current,
                                  uint32_t supported) {
    uint32_t word =
        (current & supported & ~settings.setup_mask) | (settings.setup_value & supported & settings.setup_mask);
    uint32_t running = device::running_master_state(settings.sample_rate);
    if (running == 0) {
        std::printf("Sample rate must be 16000, 24000, 32000, or 48000.\n");
        return setup_result::failed;
    }
    word = (word & ~device::master_state_bits) | running;

    const char *keyword = settings.master_keyword;
    if (keyword) {
        if (strcasecmp(keyword, "off") == 0) {
            word = (word & ~device::master_state_bits) | device::master_off;
        } else if (strcasecmp(keyword, "standby") == 0) {
            word = (word & ~device::master_state_bits) | device::master_standby;
        } else if (strcasecmp(keyword, "run") == 0) {
            // Running at the sample rate, as set above.
        } else if (strcasecmp(keyword, "query") == 0) {
            return setup_result::done;
        } else {
            std::printf("Invalid -o option specified; choices are off, standby, run, query\n");
            return setup_result::failed;
        }
    }

    std::printf("New hardware settings:     %s\n", format_hardware_settings(word, supported).c_str());
    if (!control(instance, VESK_CONTROL_HARDWARE_SETUP, static_cast<int32_t>(word), "setup"))
        return setup_result::failed;
    return keyword ? setup_result::done : setup_result::ready;
}

// Finds out whether the hardware has the Plenar-C3 set-up and applies -y and -o.
setup_result set_up_hardware(const run_settings &settings, vesk_instance *instance) {
    uint32_t current = 0;
    uint32_t supported = 0;
    int32_t code = vesk_query(instance, VESK_QUERY_SETUP, &current, &supported, nullptr, nullptr);
    if (code == VESK_SUCCESS) {
        std::printf("Rev C3+ hardware detected.\n");
        std::printf("Current hardware settings: %s\n", format_hardware_settings(current, supported).c_str());
        return apply_hardware_setup(settings, instance, current, supported);
    }
    if (code != VESK_SERVER_ERROR) {
        print_call_failure("vesk_query (setup): %s: %s.\n", instance, code);
        return setup_result::failed;
    }
    std::printf("Rev C3+ features not supported; assuming Rev B hardware.\n");
    if (settings.setup_mask != 0) {
        std::printf("-y option requires Rev C3 hardware.\n");
        return setup_result::failed;
    }
    if (settings.master_keyword) {
        std::printf("-o option requires Rev C3 hardware.\n");
        return setup_result::failed;
    }
    return setup_result::ready;
}

// The tables hold 32 channels; a server with more is served on 0..31.
uint32_t served_channels(uint32_t reported, const char *kind) {
    if (reported <= channel_table_size) return reported;
    std::printf("Server reports %u %s channels; only channels 0..%d are used.\n", reported, kind,
                channel_table_size - 1);
    return channel_table_size;
}

void append_unserved(std::string &lines, const char *label, const char *kind, uint32_t channel, uint32_t reported) {
    append_format(lines, "%s channel %u is not served: the device reports %u %s channel%s.\n", label, channel, reported,
                  kind, reported == 1 ? "" : "s");
}

// One line for each input channel with a -c, -u or -n option and each output
// channel with a -r option that the device's reported counts do not reach.
std::string unserved_channel_lines(const run_settings &settings, uint32_t outputs, uint32_t inputs) {
    std::string lines;
    for (uint32_t ch = inputs; ch < channel_table_size; ++ch)
        if (settings.capture_file[ch] || settings.analyze_channel == static_cast<int32_t>(ch))
            append_unserved(lines, "Input", "input", ch, inputs);
    for (uint32_t ch = outputs; ch < channel_table_size; ++ch)
        if (settings.playback_file[ch]) append_unserved(lines, "Output", "output", ch, outputs);
    return lines;
}

}  // namespace

setup_result set_up_connection(const run_settings &settings, run_state &run) {
    if (!create_and_connect(settings, run)) return setup_result::failed;
    if (setup_result hardware = set_up_hardware(settings, run.instance); hardware != setup_result::ready)
        return hardware;
    if (!control(run.instance, VESK_CONTROL_SAMPLE_RATE, static_cast<int32_t>(settings.sample_rate), "rate"))
        return setup_result::failed;
    uint32_t outputs = 0;
    uint32_t inputs = 0;
    int32_t code = vesk_query(run.instance, VESK_QUERY_CHANNELS, &outputs, &inputs, nullptr, nullptr);
    if (code != VESK_SUCCESS) {
        print_call_failure("vesk_query (channels): %s: %s\n", run.instance, code);
        return setup_result::failed;
    }
    run.output_channels = served_channels(outputs, "output");
    run.input_channels = served_channels(inputs, "input");
    // A file or analysis asked for on a channel the device lacks would
    // silently give nothing, and a stale file would pass for this run's.
    std::string unserved = unserved_channel_lines(settings, outputs, inputs);
    std::fputs(unserved.c_str(), stdout);
    return unserved.empty() ? setup_result::ready : setup_result::failed;
}
