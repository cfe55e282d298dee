#include "command_line.h"

const char *const default_server_address = "192.168.7.2:1024";

command_line_result parse_command_line(int, const char *const *, run_settings &, std::string &)
{
    return {true, 0};
}
