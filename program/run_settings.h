// Every setting of one veskplay run, filled by the command line and read by
// the rest of the run. Text fields point at the command-line words themselves.
#pragma once

#include <cstdint>

#include "device_facts.h"
#include "veskclient.h"

constexpr int channel_table_size = device::max_channels;
constexpr int32_t min_samples_per_block = VESK_MIN_BLOCK_SIZE;
constexpr int32_t max_samples_per_block = VESK_MAX_BLOCK_SIZE;

// A fixed private address: the device's usual place on a bench network.
extern const char *const default_server_address;

struct run_settings {
    int32_t loopback = 0;
    int32_t block_count = 100;
    int32_t start_quiet_blocks = 10;
    int32_t end_quiet_blocks = 1;
    uint32_t samples_per_block = 1024;
    int32_t frequency_hz = 440;
    bool framing_pattern = false;
    bool dc_level = false;
    uint32_t stop_ms = 0;
    bool ramp = false;
    bool silence = false;
    bool promiscuous = false;
    uint32_t sample_rate = 48000;
    uint32_t debug_mask = 0;
    const char *log_path = nullptr;
    int32_t extended_mode = 0;
    int32_t junk_blocks = 1;
    bool sync_check = true;
    bool synchronized = true;
    double amplitude = 1.0;
    const char *server_address = default_server_address;
    int32_t connect_timeout_ms = -1;
    int32_t progress_timeout_ms = -1;
    const char *capture_file[channel_table_size] = {};
    bool capture_per_block[channel_table_size] = {};
    const char *playback_file[channel_table_size] = {};
    int32_t analyze_channel = -1;
    uint32_t setup_value = 0;
    uint32_t setup_mask = 0;
    const char *master_keyword = nullptr;
};
