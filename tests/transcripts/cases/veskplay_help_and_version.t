# Options act in the order they are met: a notice prints as it comes, and a
# later help does not save a bad value. An unknown word or a
# missing argument prints the usage text and fails; asking for it does not.
$ veskplay -a 127.0.0.1:9 -w -b5 -h
Requesting ramp-up and ramp-down blocks.
Usage: veskplay [options]
    Options can be upper or lower case, prefixed with / or -
    -h or /? prints usage information
    -k <bps> specifies the codec sample rate (24000 or 48000)
    -b <blocks> specifies the number of blocks to send (default = 100)
    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)
    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check
    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)
    -s <samples> specifies the number of samples per block (16..65536, default = 1024)
    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)
    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)
    -l <keyword> selects loopback (default = none), choices are:
        none (No loopback)
        server (Loopback within server software)
        i2s (Loopback on 1-bit digital path to codec)
    -a <ipaddr:port> specifies IP address and port (default = 192.168.7.2:1024)
    -cX saves captured audio from channel X to the specified file
    -uX saves each block N of captured audio from channel X to a separate file named prefix.N
    -rX reads playback audio for channel X from specified file
    -tf uses framing pattern instead of sine wave
    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0
    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received
    -tu (unsynchronized) disables synchronization of capture and playback blocks
    -z (zero) uses silence instead of sine wave
    -w requests ramp-up and ramp-down blocks
    -i specifies infinite timeouts for server communication, for debugging
    -nX analyze input channel X (only one channel may be analyzed)
    -g <path> specifies log path (defaults to stdout if not specified)
    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)
    -p promiscuous mode: capture response to all output, even quiet and ramp blocks
    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N
    -xl like -x, with the first block of the sequence flagged as the start of a loop.
    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)
       (if no ramp-up block is used, the first N blocks will be discarded)
       (no blocks will be discarded when -P or -X is specified)
    -v displays version information
    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio
       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)
       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)
       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)
       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)
       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)
    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)
       Keywords are: off; standby; run (at rate specified by -k); query
[1]
$ veskplay -a 127.0.0.1:9 -w -?
Requesting ramp-up and ramp-down blocks.
Usage: veskplay [options]
    Options can be upper or lower case, prefixed with / or -
    -h or /? prints usage information
    -k <bps> specifies the codec sample rate (24000 or 48000)
    -b <blocks> specifies the number of blocks to send (default = 100)
    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)
    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check
    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)
    -s <samples> specifies the number of samples per block (16..65536, default = 1024)
    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)
    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)
    -l <keyword> selects loopback (default = none), choices are:
        none (No loopback)
        server (Loopback within server software)
        i2s (Loopback on 1-bit digital path to codec)
    -a <ipaddr:port> specifies IP address and port (default = 192.168.7.2:1024)
    -cX saves captured audio from channel X to the specified file
    -uX saves each block N of captured audio from channel X to a separate file named prefix.N
    -rX reads playback audio for channel X from specified file
    -tf uses framing pattern instead of sine wave
    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0
    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received
    -tu (unsynchronized) disables synchronization of capture and playback blocks
    -z (zero) uses silence instead of sine wave
    -w requests ramp-up and ramp-down blocks
    -i specifies infinite timeouts for server communication, for debugging
    -nX analyze input channel X (only one channel may be analyzed)
    -g <path> specifies log path (defaults to stdout if not specified)
    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)
    -p promiscuous mode: capture response to all output, even quiet and ramp blocks
    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N
    -xl like -x, with the first block of the sequence flagged as the start of a loop.
    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)
       (if no ramp-up block is used, the first N blocks will be discarded)
       (no blocks will be discarded when -P or -X is specified)
    -v displays version information
    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio
       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)
       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)
       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)
       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)
       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)
    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)
       Keywords are: off; standby; run (at rate specified by -k); query
$ veskplay -a 127.0.0.1:9 -
Usage: veskplay [options]
    Options can be upper or lower case, prefixed with / or -
    -h or /? prints usage information
    -k <bps> specifies the codec sample rate (24000 or 48000)
    -b <blocks> specifies the number of blocks to send (default = 100)
    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)
    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check
    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)
    -s <samples> specifies the number of samples per block (16..65536, default = 1024)
    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)
    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)
    -l <keyword> selects loopback (default = none), choices are:
        none (No loopback)
        server (Loopback within server software)
        i2s (Loopback on 1-bit digital path to codec)
    -a <ipaddr:port> specifies IP address and port (default = 192.168.7.2:1024)
    -cX saves captured audio from channel X to the specified file
    -uX saves each block N of captured audio from channel X to a separate file named prefix.N
    -rX reads playback audio for channel X from specified file
    -tf uses framing pattern instead of sine wave
    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0
    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received
    -tu (unsynchronized) disables synchronization of capture and playback blocks
    -z (zero) uses silence instead of sine wave
    -w requests ramp-up and ramp-down blocks
    -i specifies infinite timeouts for server communication, for debugging
    -nX analyze input channel X (only one channel may be analyzed)
    -g <path> specifies log path (defaults to stdout if not specified)
    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)
    -p promiscuous mode: capture response to all output, even quiet and ramp blocks
    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N
    -xl like -x, with the first block of the sequence flagged as the start of a loop.
    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)
       (if no ramp-up block is used, the first N blocks will be discarded)
       (no blocks will be discarded when -P or -X is specified)
    -v displays version information
    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio
       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)
       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)
       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)
       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)
       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)
    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)
       Keywords are: off; standby; run (at rate specified by -k); query
[1]
$ veskplay -a 127.0.0.1:9 ''
Usage: veskplay [options]
    Options can be upper or lower case, prefixed with / or -
    -h or /? prints usage information
    -k <bps> specifies the codec sample rate (24000 or 48000)
    -b <blocks> specifies the number of blocks to send (default = 100)
    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)
    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check
    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)
    -s <samples> specifies the number of samples per block (16..65536, default = 1024)
    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)
    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)
    -l <keyword> selects loopback (default = none), choices are:
        none (No loopback)
        server (Loopback within server software)
        i2s (Loopback on 1-bit digital path to codec)
    -a <ipaddr:port> specifies IP address and port (default = 192.168.7.2:1024)
    -cX saves captured audio from channel X to the specified file
    -uX saves each block N of captured audio from channel X to a separate file named prefix.N
    -rX reads playback audio for channel X from specified file
    -tf uses framing pattern instead of sine wave
    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0
    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received
    -tu (unsynchronized) disables synchronization of capture and playback blocks
    -z (zero) uses silence instead of sine wave
    -w requests ramp-up and ramp-down blocks
    -i specifies infinite timeouts for server communication, for debugging
    -nX analyze input channel X (only one channel may be analyzed)
    -g <path> specifies log path (defaults to stdout if not specified)
    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)
    -p promiscuous mode: capture response to all output, even quiet and ramp blocks
    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N
    -xl like -x, with the first block of the sequence flagged as the start of a loop.
    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)
       (if no ramp-up block is used, the first N blocks will be discarded)
       (no blocks will be discarded when -P or -X is specified)
    -v displays version information
    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio
       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)
       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)
       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)
       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)
       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)
    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)
       Keywords are: off; standby; run (at rate specified by -k); query
[1]
$ veskplay -a 127.0.0.1:9 file.raw
Usage: veskplay [options]
    Options can be upper or lower case, prefixed with / or -
    -h or /? prints usage information
    -k <bps> specifies the codec sample rate (24000 or 48000)
    -b <blocks> specifies the number of blocks to send (default = 100)
    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)
    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check
    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)
    -s <samples> specifies the number of samples per block (16..65536, default = 1024)
    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)
    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)
    -l <keyword> selects loopback (default = none), choices are:
        none (No loopback)
        server (Loopback within server software)
        i2s (Loopback on 1-bit digital path to codec)
    -a <ipaddr:port> specifies IP address and port (default = 192.168.7.2:1024)
    -cX saves captured audio from channel X to the specified file
    -uX saves each block N of captured audio from channel X to a separate file named prefix.N
    -rX reads playback audio for channel X from specified file
    -tf uses framing pattern instead of sine wave
    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0
    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received
    -tu (unsynchronized) disables synchronization of capture and playback blocks
    -z (zero) uses silence instead of sine wave
    -w requests ramp-up and ramp-down blocks
    -i specifies infinite timeouts for server communication, for debugging
    -nX analyze input channel X (only one channel may be analyzed)
    -g <path> specifies log path (defaults to stdout if not specified)
    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)
    -p promiscuous mode: capture response to all output, even quiet and ramp blocks
    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N
    -xl like -x, with the first block of the sequence flagged as the start of a loop.
    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)
       (if no ramp-up block is used, the first N blocks will be discarded)
       (no blocks will be discarded when -P or -X is specified)
    -v displays version information
    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio
       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)
       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)
       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)
       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)
       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)
    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)
       Keywords are: off; standby; run (at rate specified by -k); query
[1]
$ veskplay -a 127.0.0.1:9 -b
Usage: veskplay [options]
    Options can be upper or lower case, prefixed with / or -
    -h or /? prints usage information
    -k <bps> specifies the codec sample rate (24000 or 48000)
    -b <blocks> specifies the number of blocks to send (default = 100)
    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)
    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check
    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)
    -s <samples> specifies the number of samples per block (16..65536, default = 1024)
    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)
    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)
    -l <keyword> selects loopback (default = none), choices are:
        none (No loopback)
        server (Loopback within server software)
        i2s (Loopback on 1-bit digital path to codec)
    -a <ipaddr:port> specifies IP address and port (default = 192.168.7.2:1024)
    -cX saves captured audio from channel X to the specified file
    -uX saves each block N of captured audio from channel X to a separate file named prefix.N
    -rX reads playback audio for channel X from specified file
    -tf uses framing pattern instead of sine wave
    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0
    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received
    -tu (unsynchronized) disables synchronization of capture and playback blocks
    -z (zero) uses silence instead of sine wave
    -w requests ramp-up and ramp-down blocks
    -i specifies infinite timeouts for server communication, for debugging
    -nX analyze input channel X (only one channel may be analyzed)
    -g <path> specifies log path (defaults to stdout if not specified)
    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)
    -p promiscuous mode: capture response to all output, even quiet and ramp blocks
    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N
    -xl like -x, with the first block of the sequence flagged as the start of a loop.
    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)
       (if no ramp-up block is used, the first N blocks will be discarded)
       (no blocks will be discarded when -P or -X is specified)
    -v displays version information
    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio
       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)
       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)
       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)
       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)
       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)
    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)
       Keywords are: off; standby; run (at rate specified by -k); query
[1]
$ veskplay -a 127.0.0.1:9 -c3
Usage: veskplay [options]
    Options can be upper or lower case, prefixed with / or -
    -h or /? prints usage information
    -k <bps> specifies the codec sample rate (24000 or 48000)
    -b <blocks> specifies the number of blocks to send (default = 100)
    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)
    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check
    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)
    -s <samples> specifies the number of samples per block (16..65536, default = 1024)
    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)
    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)
    -l <keyword> selects loopback (default = none), choices are:
        none (No loopback)
        server (Loopback within server software)
        i2s (Loopback on 1-bit digital path to codec)
    -a <ipaddr:port> specifies IP address and port (default = 192.168.7.2:1024)
    -cX saves captured audio from channel X to the specified file
    -uX saves each block N of captured audio from channel X to a separate file named prefix.N
    -rX reads playback audio for channel X from specified file
    -tf uses framing pattern instead of sine wave
    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0
    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received
    -tu (unsynchronized) disables synchronization of capture and playback blocks
    -z (zero) uses silence instead of sine wave
    -w requests ramp-up and ramp-down blocks
    -i specifies infinite timeouts for server communication, for debugging
    -nX analyze input channel X (only one channel may be analyzed)
    -g <path> specifies log path (defaults to stdout if not specified)
    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)
    -p promiscuous mode: capture response to all output, even quiet and ramp blocks
    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N
    -xl like -x, with the first block of the sequence flagged as the start of a loop.
    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)
       (if no ramp-up block is used, the first N blocks will be discarded)
       (no blocks will be discarded when -P or -X is specified)
    -v displays version information
    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio
       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)
       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)
       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)
       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)
       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)
    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)
       Keywords are: off; standby; run (at rate specified by -k); query
[1]
$ veskplay -a 127.0.0.1:9 -h
Usage: veskplay [options]
    Options can be upper or lower case, prefixed with / or -
    -h or /? prints usage information
    -k <bps> specifies the codec sample rate (24000 or 48000)
    -b <blocks> specifies the number of blocks to send (default = 100)
    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)
    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check
    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)
    -s <samples> specifies the number of samples per block (16..65536, default = 1024)
    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)
    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)
    -l <keyword> selects loopback (default = none), choices are:
        none (No loopback)
        server (Loopback within server software)
        i2s (Loopback on 1-bit digital path to codec)
    -a <ipaddr:port> specifies IP address and port (default = 192.168.7.2:1024)
    -cX saves captured audio from channel X to the specified file
    -uX saves each block N of captured audio from channel X to a separate file named prefix.N
    -rX reads playback audio for channel X from specified file
    -tf uses framing pattern instead of sine wave
    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0
    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received
    -tu (unsynchronized) disables synchronization of capture and playback blocks
    -z (zero) uses silence instead of sine wave
    -w requests ramp-up and ramp-down blocks
    -i specifies infinite timeouts for server communication, for debugging
    -nX analyze input channel X (only one channel may be analyzed)
    -g <path> specifies log path (defaults to stdout if not specified)
    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)
    -p promiscuous mode: capture response to all output, even quiet and ramp blocks
    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N
    -xl like -x, with the first block of the sequence flagged as the start of a loop.
    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)
       (if no ramp-up block is used, the first N blocks will be discarded)
       (no blocks will be discarded when -P or -X is specified)
    -v displays version information
    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio
       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)
       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)
       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)
       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)
       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)
    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)
       Keywords are: off; standby; run (at rate specified by -k); query
$ veskplay -a 127.0.0.1:9 /H -b 0
Usage: veskplay [options]
    Options can be upper or lower case, prefixed with / or -
    -h or /? prints usage information
    -k <bps> specifies the codec sample rate (24000 or 48000)
    -b <blocks> specifies the number of blocks to send (default = 100)
    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)
    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check
    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)
    -s <samples> specifies the number of samples per block (16..65536, default = 1024)
    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)
    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)
    -l <keyword> selects loopback (default = none), choices are:
        none (No loopback)
        server (Loopback within server software)
        i2s (Loopback on 1-bit digital path to codec)
    -a <ipaddr:port> specifies IP address and port (default = 192.168.7.2:1024)
    -cX saves captured audio from channel X to the specified file
    -uX saves each block N of captured audio from channel X to a separate file named prefix.N
    -rX reads playback audio for channel X from specified file
    -tf uses framing pattern instead of sine wave
    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0
    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received
    -tu (unsynchronized) disables synchronization of capture and playback blocks
    -z (zero) uses silence instead of sine wave
    -w requests ramp-up and ramp-down blocks
    -i specifies infinite timeouts for server communication, for debugging
    -nX analyze input channel X (only one channel may be analyzed)
    -g <path> specifies log path (defaults to stdout if not specified)
    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)
    -p promiscuous mode: capture response to all output, even quiet and ramp blocks
    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N
    -xl like -x, with the first block of the sequence flagged as the start of a loop.
    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)
       (if no ramp-up block is used, the first N blocks will be discarded)
       (no blocks will be discarded when -P or -X is specified)
    -v displays version information
    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio
       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)
       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)
       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)
       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)
       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)
    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)
       Keywords are: off; standby; run (at rate specified by -k); query
$ veskplay -a 127.0.0.1:9 /?
Usage: veskplay [options]
    Options can be upper or lower case, prefixed with / or -
    -h or /? prints usage information
    -k <bps> specifies the codec sample rate (24000 or 48000)
    -b <blocks> specifies the number of blocks to send (default = 100)
    -q <blocks> specifies the number of blocks of quiet to send before data blocks (default = 10)
    -qq <blocks> is the same as -q, but suppresses minimum-sync-samples check
    -e <blocks> specifies the number of blocks of quiet to send after data blocks (default = 1)
    -s <samples> specifies the number of samples per block (16..65536, default = 1024)
    -f <hz> specifies the approximate sine wave frequency (default = 440 Hz)
    -m <amp> specifies the sine wave amplitude (0.0 to 1.0) (default = 1.0)
    -l <keyword> selects loopback (default = none), choices are:
        none (No loopback)
        server (Loopback within server software)
        i2s (Loopback on 1-bit digital path to codec)
    -a <ipaddr:port> specifies IP address and port (default = 192.168.7.2:1024)
    -cX saves captured audio from channel X to the specified file
    -uX saves each block N of captured audio from channel X to a separate file named prefix.N
    -rX reads playback audio for channel X from specified file
    -tf uses framing pattern instead of sine wave
    -td <level> uses DC level instead of sine wave, <level> is -1.0..1.0
    -ts <ms> prematurely stop transfer <ms> milliseconds after first block received
    -tu (unsynchronized) disables synchronization of capture and playback blocks
    -z (zero) uses silence instead of sine wave
    -w requests ramp-up and ramp-down blocks
    -i specifies infinite timeouts for server communication, for debugging
    -nX analyze input channel X (only one channel may be analyzed)
    -g <path> specifies log path (defaults to stdout if not specified)
    -d <number> specifies veskclient debug mask (defaults to 0 if not specified)
    -p promiscuous mode: capture response to all output, even quiet and ramp blocks
    -x send single extended sequence; requires -R; ignores -B -F -M -T -Z -W -N
    -xl like -x, with the first block of the sequence flagged as the start of a loop.
    -j <blocks> specifies the number of post-ramp-up blocks to discard (junk) (default = 1)
       (if no ramp-up block is used, the first N blocks will be discarded)
       (no blocks will be discarded when -P or -X is specified)
    -v displays version information
    -y <keyword(s)> modifies Plenar-C3 audio setup prior to running audio
       ppon, ppoff (probe power on/off), mbon, mboff (mic bias on/off), mpon, mpoff (mic preamp on/off)
       moff, mlo, mhi (mic amp disabled, enabled w/low gain, enabled w/high gain)
       auxoff, auxe, auxa, auxb (aux = off, aux = external input, aux = monitor a, aux = monitor b)
       aoff, alo, ahi (receiver A driver off, enabled w/attenuation, enabled w/o attenuation)
       boff, blo, bhi (receiver B driver off, enabled w/attenuation, enabled w/o attenuation)
    -o <keyword> sets Plenar-C3 master state and exits (one keyword only)
       Keywords are: off; standby; run (at rate specified by -k); query
