// Command line of vesksim.
#pragma once

#include "capture_model.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vesksim {

enum class hardware_kind { c3, b };

// Running at 48 kHz with every other field off, and a mask that marks every
// field of the set-up word.
inline constexpr uint32_t default_setup_word = 0x00000005;
inline constexpr uint32_t default_supported_mask = 0x07FFFF0F;

// Speeds other than 0 that keep every simulated time a sane real time.
inline constexpr double min_speed = 0.001;
inline constexpr double max_speed = 1e6;

struct sim_options {
    std::string listen_address = "127.0.0.1";
    uint16_t listen_port = 1024;
    std::string port_file;
    hardware_kind hardware = hardware_kind::c3;
    uint32_t outputs = 2;
    uint32_t inputs = 2;
    uint32_t setup_word = default_setup_word;
    uint32_t supported_mask = default_supported_mask;
    double speed = 1;
    dut_impairments dut;
    bool once = false;
    bool verbose = false;
    bool help = false;
};

struct parsed_options {
    std::optional<sim_options> options;  // empty when the command line is wrong
    std::string error;
};

parsed_options parse_options(std::span<const char *const> arguments);
std::string usage_text();

}  // namespace vesksim
