// veskgen: stimulus files for veskplay -r, a sine or a multitone per channel.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

#include "command_line.h"
#include "description.h"
#include "gen_error.h"
#include "output_files.h"
#include "stimulus.h"

namespace {

// The summary is what a script reads: one it could not get (a full disk, a
// reader gone) fails the run, though the files are whole.
void print_whole(const std::string &text) {
    std::fputs(text.c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw gen_error(io_status, "Cannot write standard output: " + std::string(std::strerror(errno)) + ".");
}

// Every check comes before the first file is begun, and no file appears
// under its name unless all of them are complete.
int generate(const gen_settings &settings) {
    std::vector<channel_stimulus> channels = make_stimulus(settings);
    pending_outputs outputs;
    for (size_t c = 0; c < channels.size(); ++c) {
        const std::vector<int32_t> &block = channels[c].samples;
        outputs.write(settings.files[c], block.data(), block.size() * sizeof(int32_t), settings.blocks);
    }
    if (!settings.describe_path.empty()) {
        std::string json = description_json(settings, channels);
        outputs.write(settings.describe_path, json.data(), json.size());
    }
    outputs.commit();
    print_whole(summary_lines(settings, channels));
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    std::signal(SIGPIPE, SIG_IGN);
    try {
        gen_settings settings = parse_command_line(argc, argv);
        if (settings.help) {
            print_whole(usage_text());
            return 0;
        }
        return generate(settings);
    } catch (const gen_error &e) {
        std::fprintf(stderr, "veskgen: %s\n", e.what());
        if (interrupting_signal) std::raise(interrupting_signal);  // a calling script sees the signal
        return e.status;
    } catch (const std::bad_alloc &) {
        std::fputs("veskgen: out of memory.\n", stderr);
        return io_status;
    }
}
