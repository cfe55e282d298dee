#include "whole_run.h"

whole_run run_veskplay(fake_device device, const std::vector<std::string> &args,
                       const std::filesystem::path &work)
{
    fake::server server(device_script(std::move(device)));
    whole_run run;
    run.address = server.address();
    std::vector<std::string> words = {"-a", run.address};
    words.insert(words.end(), args.begin(), args.end());
    run.result = run_program(built_program("VESKPLAY"), words, work);
    run.requests = server.requests();
    return run;
}

std::vector<std::string> last_lines(const std::vector<std::string> &lines, std::size_t count)
{
    if (lines.size() <= count)
        return lines;
    return {lines.end() - static_cast<std::ptrdiff_t>(count), lines.end()};
}
