#include "fake_device.h"

#include <cstdio>
#include <memory>
#include <mutex>

namespace {

struct device_progress {
    std::mutex lock;
    std::size_t reads = 0;
    std::size_t playback_queries = 0;
};

fake::reply answer(const fake_device &device, device_progress &progress, const fake::request &r)
{
    if (r.command == VESK_CMD_QUERY && r.arg0 == VESK_QUERY_SETUP) {
        if (!device.setup)
            return fake::error(VESK_SERVER_ERROR, "Unsupported query");
        return fake::ordinary(device.setup->word, device.setup->supported_mask);
    }
    if (r.command == VESK_CMD_QUERY && r.arg0 == VESK_QUERY_CHANNELS)
        return fake::ordinary(device.outputs, device.inputs);
    if (r.command == VESK_CMD_QUERY && r.arg0 == VESK_QUERY_PLAYBACK) {
        std::lock_guard<std::mutex> hold(progress.lock);
        std::size_t at = std::min(progress.playback_queries++, device.playback_states.size() - 1);
        return fake::ordinary(device.playback_states[at]);
    }
    if (r.command == VESK_CMD_READ_INPUT) {
        std::lock_guard<std::mutex> hold(progress.lock);
        std::size_t at = progress.reads++;
        return at < device.reads.size() ? device.reads[at] : end_of_stream();
    }
    return fake::ordinary();
}

const char *command_name(uint32_t command)
{
    switch (command) {
    case VESK_CMD_CONNECT: return "CONNECT";
    case VESK_CMD_CONTROL: return "CONTROL";
    case VESK_CMD_STAGE_OUTPUT: return "STAGE";
    case VESK_CMD_CONTROL_OUTPUT: return "OUTPUT";
    case VESK_CMD_READ_INPUT: return "READ";
    case VESK_CMD_QUERY: return "QUERY";
    case VESK_CMD_LINK: return "LINK";
    default: return "?";
    }
}

}  // namespace

fake::script device_script(fake_device device)
{
    auto progress = std::make_shared<device_progress>();
    return [device = std::move(device), progress](const fake::request &r) {
        if (device.fault)
            if (std::optional<fake::reply> faulty = device.fault(r))
                return *faulty;
        return answer(device, *progress, r);
    };
}

fake::reply captured_blocks(const std::vector<int32_t> &samples, uint32_t tag, uint32_t sequence)
{
    std::vector<uint32_t> words(samples.begin(), samples.end());
    return fake::data(fake::big_endian_words(words), 0, tag, sequence);
}

fake::reply nothing_ready()
{
    return fake::ordinary(0);
}

fake::reply end_of_stream()
{
    return fake::ordinary(1);
}

std::string describe(const fake::request &request)
{
    char line[128];
    std::snprintf(line, sizeof line, "%s %#x %#x %u %u len=%u", command_name(request.command),
                  request.arg0, request.arg1, request.arg2, request.arg3, request.length);
    return line;
}

std::vector<std::string> describe(const std::vector<fake::request> &requests)
{
    std::vector<std::string> lines;
    for (const fake::request &request : requests)
        lines.push_back(describe(request));
    return lines;
}

std::vector<int32_t> payload_samples(const fake::request &request)
{
    std::vector<int32_t> samples;
    for (std::size_t i = 0; i + 4 <= request.payload.size(); i += 4)
        samples.push_back(static_cast<int32_t>(fake::payload_word(request, i / 4)));
    return samples;
}

std::vector<fake::request> with_command(const std::vector<fake::request> &requests, uint32_t command)
{
    std::vector<fake::request> chosen;
    for (const fake::request &request : requests)
        if (request.command == command)
            chosen.push_back(request);
    return chosen;
}
