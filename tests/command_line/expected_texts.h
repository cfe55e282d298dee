// The usage text and version lines as a user sees them, written out line by line.
#pragma once

#include <regex>
#include <string>
#include <vector>

#include "run_settings.h"
#include "text_lines.h"

inline std::vector<std::string> expected_usage_lines()
{
    return {
        "Usage: veskplay [options]",
        "    Options can be upper or lower case, prefixed with / or -",
        "    -h or /? prints usage information",
        "    -k <bps> specifies the codec sample rate (24000 or 48000)",
        "    -b <blocks> specifies the number of blocks to send (default = 100)",
        "    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)",
        "    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check",
        "    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)",
        "    -s <samples> specifies the number of samples per block (16..65536, default = 1024)",
        "    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)",
        "    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)",
        "    -l <keyword> selects loopback (default = none), choices are:",
        "        none (No loopback)",
        "        server (Loopback within server software)",
        "        i2s (Loopback on 1-bit digital path to codec)",
        std::string("    -a <ipaddr:port> specifies IP address and port (default = ") + default_server_address + ")",
        "    -cX saves captured audio from channel X to the specified file",
        "    -uX saves each block N of captured audio from channel X to a separate file named prefix.N",
        "    -rX reads playback audio for channel X from specified file",
        "    -tf uses framing pattern instead of sine wave",
        "    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0",
        "    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received",
        "    -tu (unsynchronized) disables synchronization of capture and playback blocks",
        "    -z (zero) uses silence instead of sine wave",
        "    -w requests ramp-up and ramp-down blocks",
        "    -i specifies infinite timeouts for server communication, for debugging",
        "    -nX analyze input channel X (only one channel may be analyzed)",
        "    -g <path> specifies log path (defaults to stdout if not specified)",
        "    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)",
        "    -p promiscuous mode: capture response to all output, even quiet and ramp blocks",
        "    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N",
        "    -xl like -x, with the first block of the sequence flagged as the start of a loop.",
        "    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)",
        "       (if no ramp-up block is used, the first N blocks will be discarded)",
        "       (no blocks will be discarded when -P or -X is specified)",
        "    -v displays version information",
        "    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio",
        "       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)",
        "       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)",
        "       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)",
        "       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)",
        "       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)",
        "    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)",
        "       Keywords are: off; standby; run (at rate specified by -k); query",
    };
}

inline std::string expected_usage_text()
{
    std::string text;
    for (const std::string &line : expected_usage_lines())
        text += line + "\n";
    return text;
}

// The build date and time are the compiler's: "Mmm dd yyyy hh:mm:ss", the day padded with a blank.
inline bool is_version_text(const std::string &text)
{
    static const std::regex version(
        "veskplay 2018\\.03\\.30 built [A-Z][a-z]{2} [ 123][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\n"
        "Supports Plenar-B and Plenar-C3 compatible hardware \\(including Rev E\\)\n");
    return std::regex_match(text, version);
}
