#include "usage_text.h"

#include "format_text.h"
#include "loopback_levels.h"
#include "run_settings.h"

std::string usage_text() {
    const run_settings defaults;
    const loopback_level *default_loopback = loopback_by_value(defaults.loopback);
    std::string text = "Usage: veskplay [options]\n"
                       "    Options can be upper or lower case, prefixed with / or -\n"
                       "    -h or /? prints usage information\n"
                       "    -k <bps> specifies the codec sample rate (24000 or 48000)\n";
    append_format(text, "    -b <blocks> specifies the number of blocks to send (default = %d)\n",
                  defaults.block_count);
    append_format(text,
                  "    -q <blocks> specifies the number of blocks of quiet to send before data blocks "
                  "(default = %d)\n",
                  defaults.start_quiet_blocks);
    text += "    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check\n";
    append_format(text,
                  "    -e <blocks> specifies the number of blocks of quiet to send after data blocks "
                  "(default = %d)\n",
                  defaults.end_quiet_blocks);
    append_format(text, "    -s <samples> specifies the number of samples per block (%d..%d, default = %d)\n",
                  min_samples_per_block, max_samples_per_block, static_cast<int>(defaults.samples_per_block));
    append_format(text, "    -f <hz> specifies the approximate sine wave frequency (default = %d Hz)\n",
                  defaults.frequency_hz);
    text += "    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)\n";
    append_format(text, "    -l <keyword> selects loopback (default = %s), choices are:\n",
                  default_loopback ? default_loopback->keyword : "?");
    for (const loopback_level &level : loopback_levels)
        append_format(text, "        %s (%s)\n", level.keyword, level.description);
    append_format(text, "    -a <ipaddr:port> specifies IP address and port (default = %s)\n", default_server_address);
    text += "    -cX saves captured audio from channel X to the specified file\n"
            "    -uX saves each block N of captured audio from channel X to a separate file named prefix.N\n"
            "    -rX reads playback audio for channel X from specified file\n"
            "    -tf uses framing pattern instead of sine wave\n"
            "    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0\n"
            "    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received\n"
            "    -tu (unsynchronized) disables synchronization of capture and playback blocks\n"
            "    -z (zero) uses silence instead of sine wave\n"
            "    -w requests ramp-up and ramp-down blocks\n"
            "    -i specifies infinite timeouts for server communication, for debugging\n"
            "    -nX analyze input channel X (only one channel may be analyzed)\n"
            "    -g <path> specifies log path (defaults to stdout if not specified)\n"
            "    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)\n"
            "    -p promiscuous mode: capture response to all output, even quiet and ramp blocks\n"
            "    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N\n"
            "    -xl like -x, with the first block of the sequence flagged as the start of a loop.\n";
    append_format(text,
                  "    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) "
                  "(default = %d)\n",
                  defaults.junk_blocks);
    text += "       (if no ramp-up block is used, the first N blocks will be discarded)\n"
            "       (no blocks will be discarded when -P or -X is specified)\n"
            "    -v displays version information\n"
            "    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio\n"
            "       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp "
            "on/off)\n"
            "       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)\n"
            "       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)\n"
            "       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)\n"
            "       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)\n"
            "    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)\n"
            "       Keywords are: off; standby; run (at rate specified by -k); query\n";
    return text;
}

std::string version_text() {
    // __DATE__ and __TIME__ follow SOURCE_DATE_EPOCH when a reproducible build sets it.
    return "veskplay 2018.03.30 built " __DATE__ " " __TIME__ "\n"
           "Supports Plenar-B and Plenar-C3 compatible hardware (including Rev E)\n";
}
