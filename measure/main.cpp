// veskmeasure: capture files in, measured figures and a verdict out.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>

#include "capture_source.h"
#include "channel_analysis.h"
#include "command_line.h"
#include "crosstalk.h"
#include "measure_error.h"
#include "measurement.h"
#include "multitone_limits.h"
#include "multitone_plot.h"
#include "multitone_run.h"
#include "output_files.h"
#include "plot.h"
#include "reference_match.h"
#include "report_json.h"
#include "report_junit.h"
#include "report_table.h"

namespace {

// A script reads the report from standard output: one it could not get (a
// full disk, a reader gone) fails the run.
void print_whole(const std::string &text) {
    std::fputs(text.c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw measure_error("Cannot write standard output: " + std::string(std::strerror(errno)) + ".");
}

// A multitone has no one fundamental: its frequency, THD, THD+N, SNR,
// noise and dynamic range would take whichever tone is strongest for it and
// the others for noise.
void forget_single_tone_figures(channel_figures &c) {
    for (signal_figures *f : {&c.whole, &c.worst.value, &c.worst.start}) {
        f->freq_hz = f->thd_db = f->thdn_db = f->snr_db = f->noise_dbfs = f->dr_db = not_measured;
        f->tone_missing = f->dr_missing = "a multitone";
    }
}

// Everything that can be wrong with the input is found before the long
// passes start, and no result file appears unless all of them are complete.
// No result may replace an input or another result.
void refuse_overwriting_inputs(const measure_settings &settings, const std::vector<capture_source> &sources,
                               const std::vector<capture_source> &references) {
    std::vector<std::string> inputs = settings.limits_files;
    for (const capture_source &source : sources)
        for (const capture_source::part &p : source.parts) inputs.push_back(p.path);
    for (const capture_source &reference : references)
        for (const capture_source::part &p : reference.parts) inputs.push_back(p.path);
    std::vector<std::pair<std::string, std::string>> outputs;
    if (!settings.json_path.empty() && settings.json_path != "-") outputs.emplace_back("--json", settings.json_path);
    if (!settings.junit_path.empty()) outputs.emplace_back("--junit", settings.junit_path);
    if (!settings.plot_path.empty()) outputs.emplace_back("--plot", settings.plot_path);
    refuse_overwriting(outputs, inputs);
}

int measure(const measure_settings &settings) {
    std::vector<capture_source> sources;
    for (const std::string &names : settings.channels) sources.push_back(open_capture(names));
    std::vector<capture_source> references;
    for (const std::string &names : settings.references) references.push_back(open_capture(names));
    refuse_overwriting_inputs(settings, sources, references);
    for (const capture_source &source : sources)
        if (source.samples < settings.window)
            throw measure_error(source.name + " holds " + std::to_string(source.samples) +
                                " samples, fewer than the window of " + std::to_string(settings.window) + ".");
    reference_plan plan = plan_references(settings, std::move(references));
    bool multitone = !plan.multitones.empty();
    for (const limit &l : settings.limits)
        if (l.which == figure::crosstalk && !settings.driven && !multitone)
            throw measure_error("Limit \"" + l.text + "\" needs --driven or a multitone reference.");
    std::string gnuplot;
    if (!settings.plot_path.empty() && (gnuplot = find_gnuplot()).empty())
        throw measure_error("--plot needs gnuplot, which is not installed (Debian package gnuplot-nox).");

    measurement m{settings, {}, {}, {}};
    analysis_settings analysis{settings.rate, settings.window, settings.noise_weighting};
    for (size_t c = 0; c < sources.size(); ++c) {
        m.channels.push_back(analyse_channel(sources[c], analysis));
        int file = plan.of_channel[c];
        if (multitone)
            forget_single_tone_figures(m.channels.back());
        else if (file >= 0)
            m.channels.back().reference = match_reference(sources[c], plan.files[static_cast<size_t>(file)],
                                                          settings.upper_24_bits, settings.latency_range);
    }
    if (multitone) m.multitone = measure_multitone_files(sources, plan, settings.rate);
    if (settings.driven && !multitone) measure_crosstalk(m.channels, *settings.driven);
    m.results = check_limits(m.channels, settings.limits, settings.driven, multitone);
    if (multitone) check_multitone_limits(*m.multitone, settings.limits, m.results);

    pending_outputs outputs;
    if (!settings.plot_path.empty()) {
        std::string png = outputs.reserve(settings.plot_path);
        std::vector<std::string> names;
        for (const channel_figures &c : m.channels) names.push_back(c.name);
        run_gnuplot(gnuplot, m.multitone ? multitone_plot_script(*m.multitone, names) : plot_script(m), png);
    }
    bool json_out = settings.json_path == "-";
    if (!settings.json_path.empty() && !json_out) outputs.write(settings.json_path, format_json(m));
    if (!settings.junit_path.empty()) outputs.write(settings.junit_path, format_junit(m));
    outputs.commit();
    print_whole(json_out ? format_json(m) : format_table(m));
    return m.pass() ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
    std::signal(SIGPIPE, SIG_IGN);
    try {
        measure_settings settings = parse_command_line(argc, argv);
        if (settings.help) {
            print_whole(usage_text());
            return 0;
        }
        return measure(settings);
    } catch (const measure_error &e) {
        std::fprintf(stderr, "veskmeasure: %s\n", e.what());
        return 2;
    } catch (const std::bad_alloc &) {
        std::fputs("veskmeasure: out of memory.\n", stderr);
        return 2;
    }
}
