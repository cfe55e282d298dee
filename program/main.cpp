#include <cstdio>
#include <string>

#include "command_line.h"
#include "follower.h"

int main(int argc, char **argv)
{
    setup_follower();
    run_settings settings;
    std::string output;
    command_line_result parsed = parse_command_line(argc, argv, settings, output);
    std::fputs(output.c_str(), stdout);
    if (!parsed.proceed)
        return parsed.exit_status;
    return 0;
}
