# The usage texts, and options given as --name=value.
$ vesksim --help
Usage: vesksim [options]
A simulated audio server of Plenar audio test hardware, for veskplay and
every other client of veskclient. It serves one client session at a time.

Options:
  --listen ADDR:PORT  where to listen (default 127.0.0.1:1024; port 0 picks a
                      free port)
  --port-file PATH    write the port to PATH once listening
  --hardware c3|b     Plenar-C3 (default) or Plenar-B hardware
  --outputs N         output channels, 1 to 32 (default 2)
  --inputs N          input channels, 1 to 32 (default 2)
  --setup WORD        the C3 set-up word at start (default 0x00000005)
  --supported MASK    the fields of the set-up word the hardware has
                      (default 0x07FFFF0F, every field)
  --speed X           1 plays in real time (default), 0 as fast as the
                      client reads, any other value (0.001 to 1000000) that
                      multiple of real time
  --dut KEY=VALUE,... the device under test of loopback 0 (none); any of:
                      gain=DB       its gain, -200 to 60 (default exactly half)
                      delay=N       samples late, 0 to 1000000 (default 24)
                      noise=DBFS    RMS of a uniform noise, -200 to 0 (a full-
                                    scale sine is 0 dBFS), or off (default:
                                    integer steps of up to +-64 24-bit steps)
                      thd=DB        third harmonic of a full-scale sine, -200
                                    to -20, or off (default)
                      crosstalk=DB  input n hears outputs n-1 and n+1 at this
                                    level, -200 to 0, or off (default)
                      highpass=HZ   a second-order Butterworth highpass, its
                                    corner above 0 and below rate/2, or off
                                    (default)
                      lowpass=HZ    the same as a lowpass
                      skew=S        input n a further n*S samples late, 0
                                    to 1000 (default 0)
  --once              exit when the first client session ends
  --verbose           one line per request and reply on standard error
  --help              show this text

What the inputs hear, by loopback:
  2 server  the same-numbered output, sample for sample
  1 i2s     that output through the codec: quantised to 24 bits and 3 samples
            late
  0 none    a device under test: by default that output at half amplitude
            (-6 dB), 24 samples late, with a deterministic noise floor of up
            to +-64 24-bit steps. With --dut input n hears, delay + n*skew
            samples late,
              H(gain * (x - c x^3 + crosstalk * (x[n-1] + x[n+1]))) + noise
            x being output n (1 = full scale) and c = 4h / (1 + 3h), h the thd
            as a ratio: a sine of amplitude A below rate/6 gets a THD of
            cA^2 / (4 - 3cA^2): exactly thd at full scale, about 2 dB lower
            per dB below it. H is the highpass and lowpass set, bilinear
            transforms with the corner pre-warped, at the rate output starts
            at; with K = tan(pi corner/rate), W = tan(pi f/rate)/K, the
            lowpass gives f a gain of 1/sqrt(1+W^4) and a phase of
            -atan2(sqrt2 W, 1-W^2), the highpass W^2/sqrt(1+W^4) and
            180 degrees - atan2(sqrt2 W, 1-W^2). The result is floored to 24
            bits and saturates.
Inputs without a same-numbered output hear silence (server, i2s) or the noise
floor and crosstalk (none). Capture blocks started unaligned begin a quarter
block early.
LINK answers with the command bytes themselves.
The codec halts 80 ms (simulated) after playback ends or stops.
SIGINT and SIGTERM end the server cleanly.
$ veskgen --help
Usage: veskgen sine|multitone [options] FILE...
Writes stimulus files for veskplay -r: raw signed 32-bit samples in host order,
one file per channel, each tone on a whole number of cycles per block so that
the block repeats seamlessly. Several channels from one FILE are FILE.0, FILE.1...
  --rate HZ         sample rate (default 48000)
  --block N         block size in samples, 16 to 65536 (default 4096)
  --blocks K        file length in whole blocks, for veskplay -x (default 1)
  --level DBFS      level of each tone (sine default -6)
  --total DBFS      level of all tones together (multitone default -12)
  --freq HZ         sine: frequency, moved to the nearest bin (default 1000)
  --from HZ         multitone: lowest tone (default 20)
  --to HZ           multitone: highest tone (default 20000)
  --tones N         multitone: tones per channel
  --per-octave D    multitone: tones per octave and channel (default 3)
  --channels N      files to write, 1 to 32 (default 1)
  --distinct        multitone: no two channels share a tone
  --describe FILE   bins, frequencies, levels and phases as JSON
  --help            this text
Exit status: 0 written, 1 bad input, 2 a file could not be written.
$ veskmeasure --help
Usage: veskmeasure [options] CAPTURE...
Measures capture files of veskplay (raw signed 32-bit samples in host order,
one channel each; per-block files of one channel joined by commas) and checks
the figures against limits.
  --rate HZ         sample rate (default 48000)
  --block N         block size in samples (default 1024)
  --window N        window for the worst-window figures (default one block)
  --reference FILE  what the captures should match: latency and bit-exactness;
                    given once per channel, each channel's own; a multitone
                    gives response, phase, tdn and the crosstalk matrix
  --latency-range N  largest latency searched, either way (default 65536)
  --24bit           compare only the upper 24 bits of each sample
  --driven N        channel N carries the signal; crosstalk on the others
  --weighting W     a (A-weighting), 468 (ITU-R 468) or none (default) for
                    thdn, snr, noise and dr
  --limit EXPR      a limit, e.g. thdn<=-80, level=-6+-0.5, worst:thdn<=-70, bitexact
  --limits FILE     limits, one per line
  --json FILE       every figure and verdict as JSON (- for standard output)
  --junit FILE      one JUnit test case per channel and limit
  --plot FILE.png   spectrum and waveform of each channel
  --plot-range LOW:HIGH  the spectrum's level axis in dBFS (default automatic)
  --help            this text
Figures: level peak dc freq thd thdn snr noise dr latency bitexact crosstalk;
with a multitone: flatness flatness[LOW:HIGH] tdn gain-match phase-match.
Exit status: 0 every limit holds, 1 a limit fails, 2 bad input.
$ veskgen multitone --per-octave=0 x
! veskgen: --per-octave takes a number above 0 and up to 1000, not "0".
[1]
$ veskgen sine --block 4096 --blocks 4 sine.raw
sine.raw: 996.094 Hz at -6.00 dBFS, crest factor 3.01 dB, 4 blocks of 4096 samples at 48000 Hz
$ veskmeasure --block=4096 --rate=48000 sine.raw
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 4096 samples
Band: 20 Hz to 20 kHz
Spectrum: 8192 samples, 5.859 Hz bins
Reference: none
Latency range: 65536 samples either way
Weighting: none
Channel 0: sine.raw (16384 samples, 4 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.000 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       996.0937 Hz                996.0937 Hz at sample 0
  thd        -202.75 dB (7.29e-09 %)    -212.84 dB (2.28e-09 %) at sample 0
  thdn       -188.40 dB (3.8e-08 %)     -189.16 dB (3.48e-08 %) at sample 0
  snr        188.38 dB                  189.18 dB at sample 0
  noise      -194.40 dBFS               -195.16 dBFS at sample 0
  dr         n/a (tone at -6.0 dBFS, not within -70 to -50 dBFS)
No limits given.
# A window too long for the fit's table of sines (2^21 values) is fitted
# all the same.
$ veskgen sine --block 65536 --blocks 16 big.raw
big.raw: 999.756 Hz at -6.00 dBFS, crest factor 3.01 dB, 16 blocks of 65536 samples at 48000 Hz
$ veskmeasure --window 1048576 big.raw
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 1048576 samples
Band: 20 Hz to 20 kHz
Spectrum: 65536 samples, 0.7324 Hz bins
Reference: none
Latency range: 65536 samples either way
Weighting: none
Channel 0: big.raw (1048576 samples, 1 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.000 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       999.7559 Hz                999.7559 Hz at sample 0
  thd        -210.71 dB (2.91e-09 %)    -228.67 dB (3.69e-10 %) at sample 0
  thdn       -189.18 dB (3.48e-08 %)    -189.14 dB (3.49e-08 %) at sample 0
  snr        189.18 dB                  189.14 dB at sample 0
  noise      -195.18 dBFS               -195.14 dBFS at sample 0
  dr         n/a (tone at -6.0 dBFS, not within -70 to -50 dBFS)
No limits given.
