# veskmeasure refuses bad input with one line and status 2, and writes
# nothing: no report, no half-written file.
$ veskgen sine --freq 1500 --level -6 --block 4096 good.raw
good.raw: 1500.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 1 block of 4096 samples at 48000 Hz
$ veskgen sine --freq 1500 --level -6 --block 4096 ref.raw
ref.raw: 1500.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 1 block of 4096 samples at 48000 Hz
$ veskgen sine --block 65536 --blocks 5 big.raw
big.raw: 999.756 Hz at -6.00 dBFS, crest factor 3.01 dB, 5 blocks of 65536 samples at 48000 Hz
= empty.raw
=
= odd.raw
abcd
=
= ok.txt
thd<=-3
=
$ veskmeasure --json out.json --junit out.xml missing.raw
! veskmeasure: Cannot read missing.raw: No such file or directory.
[2]
$ veskmeasure --json out.json --junit out.xml good.raw,empty.raw
! veskmeasure: empty.raw is empty.
[2]
$ veskmeasure --json out.json --junit out.xml odd.raw
! veskmeasure: odd.raw holds 5 bytes, not a whole number of 4-byte samples.
[2]
$ veskmeasure --json out.json --junit out.xml --rate 0 good.raw
! veskmeasure: --rate takes a whole number from 1 to 10000000, not "0".
[2]
$ veskmeasure --json out.json --junit out.xml --window 1024x good.raw
! veskmeasure: --window takes a whole number from 16 to 4194304, not "1024x".
[2]
$ veskmeasure --json out.json --junit out.xml --window 8192 good.raw
! veskmeasure: good.raw holds 4096 samples, fewer than the window of 8192.
[2]
$ veskmeasure --json out.json --junit out.xml --limit thd<-3 good.raw
! veskmeasure: Malformed limit "thd<-3".
[2]
$ veskmeasure --json out.json --junit out.xml --limit ' thd<=-3' good.raw
! veskmeasure: Unknown figure " thd" in limit " thd<=-3".
[2]
$ veskmeasure --json out.json --junit out.xml --limit 'thd <=-3' good.raw
! veskmeasure: Unknown figure "thd " in limit "thd <=-3".
[2]
$ veskmeasure --json out.json --junit out.xml --limit 'thd<= -3' good.raw
! veskmeasure: Malformed limit "thd<= -3".
[2]
$ veskmeasure --json out.json --junit out.xml --limit 'level=-6+- 1' good.raw
! veskmeasure: Malformed limit "level=-6+- 1".
[2]
$ veskmeasure --json out.json --junit out.xml --limit 'level=-6+-' good.raw
! veskmeasure: Malformed limit "level=-6+-".
[2]
$ veskmeasure --json out.json --junit out.xml --limit 'thd<=-3 ' good.raw
! veskmeasure: Malformed limit "thd<=-3 ".
[2]
$ veskmeasure --json out.json --junit out.xml --limit 'thd<=inf' good.raw
! veskmeasure: Malformed limit "thd<=inf".
[2]
$ veskmeasure --json out.json --junit out.xml --limit loudness<=3 good.raw
! veskmeasure: Unknown figure "loudness" in limit "loudness<=3".
[2]
$ veskmeasure --json out.json --junit out.xml --limit worst:latency<=3 good.raw
! veskmeasure: Limit "worst:latency<=3": latency has no worst window.
[2]
$ veskmeasure --json out.json --junit out.xml --limit worst:dr>=100 good.raw
! veskmeasure: Limit "worst:dr>=100": dr has no worst window.
[2]
$ veskmeasure --json out.json --junit out.xml --limit bitexact good.raw
! veskmeasure: Limit "bitexact" needs --reference.
[2]
$ veskmeasure --json out.json --junit out.xml --limit crosstalk<=-90 good.raw
! veskmeasure: Limit "crosstalk<=-90" needs --driven.
[2]
$ veskmeasure --json out.json --junit out.xml --limit flatness[-1:5000]<=1 good.raw
! veskmeasure: Malformed band in limit "flatness[-1:5000]<=1": flatness[LOW:HIGH] in Hz, LOW below HIGH.
[2]
$ veskmeasure --json out.json --junit out.xml --limit flatness[500:300]<=1 good.raw
! veskmeasure: Malformed band in limit "flatness[500:300]<=1": flatness[LOW:HIGH] in Hz, LOW below HIGH.
[2]
$ veskmeasure --json out.json --junit out.xml --driven 1 good.raw
! veskmeasure: --driven 1 names no channel: there are 1.
[2]
$ veskmeasure --json out.json --junit out.xml --frobnicate good.raw
! veskmeasure: Unknown option --frobnicate (see veskmeasure --help).
[2]
$ veskmeasure --json out.json --junit out.xml -x good.raw
! veskmeasure: Unknown option -x (see veskmeasure --help).
[2]
$ veskmeasure --json out.json --junit out.xml --plot-range 0:-10 good.raw
! veskmeasure: --plot-range takes LOW:HIGH in dB, LOW below HIGH, not "0:-10".
[2]
$ veskmeasure --json out.json --junit out.xml --plot-range -10: good.raw
! veskmeasure: --plot-range takes LOW:HIGH in dB, LOW below HIGH, not "-10:".
[2]
$ veskmeasure --json out.json --junit out.xml --weighting c good.raw
! veskmeasure: --weighting takes a, 468 or none, not "c".
[2]
$ veskmeasure --json out.json --junit out.xml --json
! veskmeasure: --json needs a value.
[2]
$ veskmeasure --json out.json --junit out.xml --limits /dev/zero good.raw
! veskmeasure: Cannot read /dev/zero: not a regular file.
[2]
$ veskmeasure --json out.json --junit out.xml --limits . good.raw
! veskmeasure: Cannot read .: not a regular file.
[2]
$ veskmeasure --json out.json --junit out.xml --limits big.raw good.raw
! veskmeasure: Cannot read big.raw: longer than 1 MiB.
[2]
$ veskmeasure --json out.json --junit out.xml --limits ref.raw good.raw
! veskmeasure: Cannot read ref.raw: not text (it holds a NUL byte).
[2]
$ veskmeasure --json out.json --junit out.xml --json good.raw good.raw
! veskmeasure: --json good.raw would overwrite the input good.raw.
[2]
$ veskmeasure --json out.json --junit out.xml --reference ref.raw --plot ref.raw good.raw
! veskmeasure: --plot ref.raw would overwrite the input ref.raw.
[2]
$ veskmeasure --json out.json --junit out.xml --limits ok.txt --junit ok.txt good.raw
! veskmeasure: --junit ok.txt would overwrite the input ok.txt.
[2]
$ veskmeasure --json out.json --junit out.xml --plot ./out.json good.raw
! veskmeasure: --json and --plot both name ./out.json.
[2]
$ ls
big.raw
empty.raw
good.raw
odd.raw
ok.txt
ref.raw
# A capture exactly one window long is enough: what is refused then is the
# limit.
$ veskmeasure --window 4096 --reference ref.raw --limit crosstalk<=-90 good.raw
! veskmeasure: Limit "crosstalk<=-90" needs --driven or a multitone reference.
[2]
# A limits file of exactly 1 MiB is read (this one is not text); a band
# from a frequency to itself is none.
$ veskgen sine --block 65536 --blocks 4 mib.raw
mib.raw: 999.756 Hz at -6.00 dBFS, crest factor 3.01 dB, 4 blocks of 65536 samples at 48000 Hz
$ veskmeasure --limits mib.raw good.raw
! veskmeasure: Cannot read mib.raw: not text (it holds a NUL byte).
[2]
$ veskmeasure --limit flatness[500:500]<=1 good.raw
! veskmeasure: Malformed band in limit "flatness[500:500]<=1": flatness[LOW:HIGH] in Hz, LOW below HIGH.
[2]
# A limits file that fails to read (here at its first byte) is said so.
$ veskmeasure --limits /proc/self/mem good.raw
! veskmeasure: Cannot read /proc/self/mem: Input/output error.
[2]
