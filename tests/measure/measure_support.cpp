#include "measure_support.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>

#include "child_process.h"
#include "program_run.h"

std::vector<int32_t> make_signal(const known_signal &s, uint32_t seed) {
    auto amplitude = [](double dbfs) { return std::pow(10.0, dbfs / 20); };
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, amplitude(s.noise_dbfs) / std::sqrt(2.0));
    double a = amplitude(s.level_dbfs), h = a * amplitude(s.thd_db) / std::sqrt(2.0);
    std::vector<int32_t> out(static_cast<size_t>(s.samples));
    for (int64_t n = 0; n < s.samples; ++n) {
        double w = 2 * M_PI * s.freq_hz * n / s.rate;
        double v = a * std::sin(w + 0.1) + h * std::sin(2 * w) + h * std::sin(3 * w + 1) + gauss(random);
        out[static_cast<size_t>(n)] = static_cast<int32_t>(std::lround(v * 2147483648.0));
    }
    return out;
}

double white_noise_share(double rate, weighting w) {
    double sum = 0, step = 0.25, high = std::min(20000.0, rate / 2);
    for (double f = 20 + step / 2; f < high; f += step) sum += weighting_power_gain(w, f) * step;
    return sum / (rate / 2);
}

void write_capture(const std::filesystem::path &file, const std::vector<int32_t> &samples) {
    write_file(file, host_order_bytes(samples));
}
measure_result run_veskmeasure(const std::vector<std::string> &args, const std::filesystem::path &work,
                               const std::string &search_path) {
    std::string path = search_path.empty() && std::getenv("PATH") ? std::getenv("PATH") : search_path;
    std::filesystem::path error_file = work / "veskmeasure.err";
    measure_result result;
    child_process child("/usr/bin/env", concat({"PATH=" + path, built_program("veskmeasure")}, args), work, error_file);
    result.status = exit_status(child.finish(std::chrono::seconds(60)));
    result.output = child.output();
    result.error = text_of(error_file);
    std::filesystem::remove(error_file);
    return result;
}
