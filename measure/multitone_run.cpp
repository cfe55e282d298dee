#include "multitone_run.h"

#include "measure_error.h"

namespace {

// Longer than this, a reference is taken for a plain one: a multitone is one
// block, and reading it whole must stay cheap.
constexpr int64_t longest_multitone = int64_t{1} << 22;

multitone_reference tones_of(const capture_source &file) {
    if (file.samples > longest_multitone) return {};
    std::vector<int32_t> block(static_cast<size_t>(file.samples));
    read_samples(file, 0, file.samples, block.data());
    return find_tones(block);
}

}  // namespace

reference_plan plan_references(const measure_settings &settings, std::vector<capture_source> files) {
    reference_plan plan;
    plan.files = std::move(files);
    for (size_t c = 0; c < settings.channels.size(); ++c) {
        int index = plan.files.size() > 1 ? static_cast<int>(c) : 0;
        bool compared = !plan.files.empty() && (!settings.driven || *settings.driven == static_cast<int>(c));
        plan.of_channel.push_back(compared ? index : -1);
    }
    size_t found = 0;
    std::vector<multitone_reference> tones;
    for (const capture_source &file : plan.files) {
        tones.push_back(tones_of(file));
        found += tones.back().bins.empty() ? 0 : 1;
    }
    if (found > 0 && found < tones.size())
        for (size_t f = 0; f < tones.size(); ++f)
            if (tones[f].bins.empty())
                throw measure_error("Reference " + plan.files[f].name +
                                    " is not a multitone, but another reference is.");
    for (const multitone_reference &t : tones)
        if (found > 0 && t.block != tones[0].block)
            throw measure_error("The multitone references differ in length: " + std::to_string(tones[0].block) +
                                " and " + std::to_string(t.block) + " samples.");
    if (found > 0) plan.multitones = std::move(tones);
    return plan;
}

multitone_result measure_multitone_files(const std::vector<capture_source> &captures, const reference_plan &plan,
                                         double rate) {
    std::vector<multitone_input> inputs;
    for (size_t c = 0; c < captures.size(); ++c) {
        const capture_source &source = captures[c];
        int file = plan.of_channel[c];
        inputs.push_back(
            {[&source](int64_t first, int64_t count, int32_t *out) { read_samples(source, first, count, out); },
             source.samples, file >= 0 ? &plan.multitones[static_cast<size_t>(file)] : nullptr});
    }
    return measure_multitone(inputs, rate);
}
