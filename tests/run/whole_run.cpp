#include "whole_run.h"

whole_run run_veskplay(fake_device device, const std::vector<std::string> &args,
                       const std::filesystem::path &work, const std::string &shell_setup)
{
    fake::server server(device_script(std::move(device)));
    whole_run run;
    run.address = server.address();
    std::vector<std::string> words = {"-a", run.address};
    words.insert(words.end(), args.begin(), args.end());
    if (shell_setup.empty()) {
        run.result = run_program(built_program("VESKPLAY"), words, work);
    } else {
        words.insert(words.begin(), {"-c", shell_setup + "; exec \"$0\" \"$@\"", built_program("VESKPLAY")});
        run.result = run_program("/bin/sh", words, work);
    }
    run.requests = server.requests();
    return run;
}
