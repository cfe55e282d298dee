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
