#include "sequence_summary.h"

#include "format_text.h"
#include "loopback_levels.h"

namespace {

const char *plural(int32_t count) { return count == 1 ? "" : "s"; }

}  // namespace

std::string format_sequence_summary(const run_settings &settings, int32_t sequence_length) {
    const char *mark = settings.promiscuous ? " (*)" : "";
    bool normal = settings.extended_mode == 0;
    std::string text;
    append_format(text, "Server at %s.\n", settings.server_address);
    for (int i = 0; i < num_loopback_levels; ++i)
        if (loopback_levels[i].value == settings.loopback) append_format(text, "%s.\n", loopback_levels[i].description);
    append_format(text, "Data sequence (all blocks have %d samples):\n", static_cast<int>(settings.samples_per_block));
    if (settings.start_quiet_blocks != 0)
        append_format(text, "  %d preceding quiet block%s%s\n", settings.start_quiet_blocks,
                      plural(settings.start_quiet_blocks), mark);
    if (!normal)
        append_format(text, "  %d block%s of %s extended audio sequence (*)\n", sequence_length,
                      plural(sequence_length), settings.extended_mode == 2 ? "a looped" : "an");
    if (normal && settings.ramp) append_format(text, "  1 ramp-up block%s\n", mark);
    if (normal && settings.junk_blocks > 0)
        append_format(text, "  %d junk block%s%s\n", settings.junk_blocks, plural(settings.junk_blocks), mark);
    if (normal) append_format(text, "  %d data block%s (*)\n", settings.block_count, plural(settings.block_count));
    if (normal && settings.ramp) append_format(text, "  1 ramp-down block%s\n", mark);
    if (settings.end_quiet_blocks != 0)
        append_format(text, "  %d following quiet block%s%s\n", settings.end_quiet_blocks,
                      plural(settings.end_quiet_blocks), mark);
    text += "Response will be captured during portions of sequence marked with (*)\n";
    if (!settings.synchronized)
        text += "WARNING: Synchronization suppressed; capture blocks will be unaligned with "
                "playback blocks\n";
    return text;
}
