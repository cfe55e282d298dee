// One veskplay run against a fake device: the transcript, the status and
// every request the device saw. The device answers set-up, staging and
// control requests as a real one would, hands out the scripted reads (or,
// with none scripted, every block staged for capture, up to ten a read) and
// then ends the stream; a fault replaces the reply to any request it picks.
#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "expected_samples.h"
#include "fake_server.h"
#include "program_run.h"

struct hardware_setup {
    uint32_t word;
    uint32_t supported_mask;
};

struct fake_device {
    std::optional<hardware_setup> setup = {};  // none: refuses the set-up query like Plenar-B
    uint32_t outputs = 1;
    uint32_t inputs = 1;
    std::vector<fake::reply> reads = {};          // READ_INPUT replies in order, then end of stream; none: as staged
    std::vector<uint32_t> playback_states = {4};  // QUERY 2 replies in order; the last repeats
    std::function<std::optional<fake::reply>(const fake::request &)> fault = {};
};

fake::script device_script(fake_device device);

inline fake::reply captured_blocks(const std::vector<int32_t> &samples, uint32_t tag, uint32_t sequence) {
    return fake::data(fake::big_endian_words({samples.begin(), samples.end()}), 0, tag, sequence);
}
inline fake::reply nothing_ready() { return fake::ordinary(0); }

// Blocks first..first+count-1 of channels 0..channels-1, n samples each, as a
// read delivers them: block by block, the channels in order within a block.
// Every byte tells block, channel and sample apart; the top bit is set.
inline std::vector<int32_t> captured(int first, int count, int channels, int n) {
    std::vector<int32_t> samples;
    for (uint32_t b = uint32_t(first); b < uint32_t(first + count); ++b)
        for (uint32_t ch = 0; ch < uint32_t(channels); ++ch)
            for (uint32_t i = 0; i < uint32_t(n); ++i)
                samples.push_back(int32_t(0x80000000u + b * 0x01010000u + ch * 0x100u + i));
    return samples;
}

// A request as one line: command name, the four arguments and the payload length.
std::string describe(const fake::request &request);
std::vector<std::string> describe(const std::vector<fake::request> &requests);
// Requests with the given command, in order.
std::vector<fake::request> with_command(const std::vector<fake::request> &requests, uint32_t command);

struct whole_run {
    program_result result;
    std::vector<fake::request> requests;
    std::string address;  // "127.0.0.1:PORT" that the run was given
    int wait_status = -1;

    std::vector<std::string> lines() const { return result.lines(); }
    std::vector<fake::request> staged() const { return with_command(requests, VESK_CMD_STAGE_OUTPUT); }
};

// Runs veskplay -a ADDRESS args... in folder work (when given), through
// /bin/sh after shell_setup (such as a ulimit) when that is given; its pid
// goes to pid (when given) as soon as it starts.
whole_run run_veskplay(fake_device device, const std::vector<std::string> &args, const std::filesystem::path &work = {},
                       const std::string &shell_setup = {}, std::atomic<pid_t> *pid = nullptr);

// A plain run: three 64-sample blocks of a 3000 Hz sine, channel 0 captured.
inline const std::vector<std::string> plain_args = {"-s", "64", "-f", "3000", "-b", "3", "-c0", "cap.raw"};
// Its transcript up to "In progress.".
std::vector<std::string> plain_opening(const std::string &address);
// Its requests up to the start of output.
inline const std::vector<std::string> plain_requests = {
    "CONNECT 0x10000 0x40 0 0 len=0", "QUERY 0x4 0 0 0 len=0",        "CONTROL 0x4 0xbb80 0 0 len=0",
    "QUERY 0x1 0 0 0 len=0",          "CONTROL 0x8 0 0 0 len=0",      "STAGE 0x800 0 0 0 len=0",
    "STAGE 0x1100 0 63 1 len=0",      "STAGE 0x1100 0x1 1 2 len=256", "STAGE 0x100 0x1 3 3 len=256",
    "STAGE 0x1100 0 1 4 len=0",       "OUTPUT 0x10000 0 0 0 len=0"};
