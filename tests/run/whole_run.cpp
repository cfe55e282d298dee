#include "whole_run.h"

#include <atomic>
#include <bit>
#include <cstdio>
#include <map>

namespace {

// Every block staged for capture as its tag and sequence number, in order,
// and how many reads have taken; for the server's thread only.
struct staged_capture {
    uint32_t block_size = 0, staged = 0;
    std::vector<std::pair<uint32_t, uint32_t>> blocks;
    std::size_t taken = 0;
};

// The next blocks of one tag, no more than asked for, or end of stream.
fake::reply next_blocks(staged_capture &s, const fake::request &r) {
    std::size_t first = s.taken;
    while (s.taken < s.blocks.size() && s.taken - first < r.arg1 && s.blocks[s.taken].first == s.blocks[first].first)
        ++s.taken;
    if (s.taken == first) return fake::ordinary(1);
    auto [tag, sequence] = s.blocks[first];
    return captured_blocks(captured(int(sequence), int(s.taken - first), std::popcount(r.arg0), int(s.block_size)), tag,
                           sequence);
}

}  // namespace

fake::script device_script(fake_device device) {
    auto reads = std::make_shared<std::atomic<std::size_t>>(0);
    auto playback_queries = std::make_shared<std::atomic<std::size_t>>(0);
    auto staged = std::make_shared<staged_capture>();
    return [device = std::move(device), reads, playback_queries, staged](const fake::request &r) {
        if (device.fault)
            if (std::optional<fake::reply> faulty = device.fault(r)) return *faulty;
        if (r.command == VESK_CMD_QUERY && r.arg0 == VESK_QUERY_SETUP)
            return device.setup ? fake::ordinary(device.setup->word, device.setup->supported_mask)
                                : fake::error(VESK_SERVER_ERROR, "Unsupported query");
        if (r.command == VESK_CMD_QUERY && r.arg0 == VESK_QUERY_CHANNELS)
            return fake::ordinary(device.outputs, device.inputs);
        if (r.command == VESK_CMD_QUERY && r.arg0 == VESK_QUERY_PLAYBACK)
            return fake::ordinary(
                device.playback_states[std::min((*playback_queries)++, device.playback_states.size() - 1)]);
        if (r.command == VESK_CMD_CONNECT) staged->block_size = r.arg1;
        for (uint32_t b = 0; r.command == VESK_CMD_STAGE_OUTPUT && b < r.arg2; ++b)
            if ((r.arg0 & VESK_STAGE_NO_CAPTURE) == 0) staged->blocks.push_back({r.arg3, staged->staged + b});
        if (r.command == VESK_CMD_STAGE_OUTPUT) staged->staged += r.arg2;
        if (r.command == VESK_CMD_READ_INPUT) {
            if (device.reads.empty()) return next_blocks(*staged, r);
            std::size_t at = (*reads)++;
            return at < device.reads.size() ? device.reads[at] : fake::ordinary(1);  // end of stream
        }
        return fake::ordinary();
    };
}

std::string describe(const fake::request &request) {
    static const std::map<uint32_t, const char *> names = {
        {VESK_CMD_CONNECT, "CONNECT"},    {VESK_CMD_CONTROL, "CONTROL"},
        {VESK_CMD_STAGE_OUTPUT, "STAGE"}, {VESK_CMD_CONTROL_OUTPUT, "OUTPUT"},
        {VESK_CMD_READ_INPUT, "READ"},    {VESK_CMD_QUERY, "QUERY"},
        {VESK_CMD_LINK, "LINK"}};
    auto name = names.find(request.command);
    char line[128];
    std::snprintf(line, sizeof line, "%s %#x %#x %u %u len=%u", name == names.end() ? "?" : name->second, request.arg0,
                  request.arg1, request.arg2, request.arg3, request.length);
    return line;
}

std::vector<std::string> describe(const std::vector<fake::request> &requests) {
    std::vector<std::string> lines;
    for (const fake::request &request : requests) lines.push_back(describe(request));
    return lines;
}

std::vector<fake::request> with_command(const std::vector<fake::request> &requests, uint32_t command) {
    std::vector<fake::request> chosen;
    for (const fake::request &request : requests)
        if (request.command == command) chosen.push_back(request);
    return chosen;
}

whole_run run_veskplay(fake_device device, const std::vector<std::string> &args, const std::filesystem::path &work,
                       const std::string &shell_setup, std::atomic<pid_t> *pid) {
    fake::server server(device_script(std::move(device)));
    whole_run run;
    run.address = server.address();
    std::vector<std::string> words = concat({"-a", run.address}, args);
    if (!shell_setup.empty())
        words.insert(words.begin(), {"-c", shell_setup + "; exec \"$0\" \"$@\"", built_program("veskplay")});
    child_process child(shell_setup.empty() ? built_program("veskplay") : "/bin/sh", words, work);
    if (pid) pid->store(child.pid);
    run.wait_status = child.finish(std::chrono::seconds(60));
    run.result = {exit_status(run.wait_status), child.output()};
    run.requests = server.requests();
    return run;
}

std::vector<std::string> plain_opening(const std::string &address) {
    return {"Rev C3+ features not supported; assuming Rev B hardware.",
            "Adding 53 quiet blocks to meet synchronization requirements",
            "Capturing channel 0 to cap.raw.",
            "Channel 0 stimulus data is a 3000.00 Hz sine wave.",
            "Server at " + address + ".",
            "No loopback.",
            "Data sequence (all blocks have 64 samples):",
            "  63 preceding quiet blocks",
            "  1 junk block",
            "  3 data blocks (*)",
            "  1 following quiet block",
            "Response will be captured during portions of sequence marked with (*)",
            "In progress."};
}
