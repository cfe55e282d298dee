// One veskplay run against a fake device: the transcript, the status and
// every request the device saw.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "fake_device.h"
#include "program_run.h"

struct whole_run {
    program_result result;
    std::vector<fake::request> requests;
    std::string address;  // "127.0.0.1:PORT" that the run was given

    std::vector<std::string> lines() const { return result.lines(); }
    std::vector<fake::request> staged() const { return with_command(requests, VESK_CMD_STAGE_OUTPUT); }
};

// Runs veskplay -a ADDRESS args... in folder work (when given), through
// /bin/sh after shell_setup (such as a ulimit) when that is given.
whole_run run_veskplay(fake_device device, const std::vector<std::string> &args,
                       const std::filesystem::path &work = {}, const std::string &shell_setup = {});
