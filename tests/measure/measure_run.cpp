#include "measure_run.h"

#include <chrono>
#include <cstdlib>

#include "child_process.h"
#include "program_run.h"

measure_result run_veskmeasure(const std::vector<std::string> &args, const std::filesystem::path &work,
                               const std::string &search_path) {
    std::string path = search_path.empty() && std::getenv("PATH") ? std::getenv("PATH") : search_path;
    std::filesystem::path error_file = work / "veskmeasure.err";
    measure_result result;
    child_process child("/usr/bin/env", concat({"PATH=" + path, VESK_BUILT_VESKMEASURE}, args), work, error_file);
    result.status = exit_status(child.finish(std::chrono::seconds(60)));
    result.output = child.output();
    std::vector<uint8_t> error = read_file(error_file);
    result.error.assign(error.begin(), error.end());
    std::filesystem::remove(error_file);
    return result;
}
