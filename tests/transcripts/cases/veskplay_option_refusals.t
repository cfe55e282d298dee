# Refused command lines: the line that says why and status 1, before any
# connection is tried or any file made.
$ veskplay -a 127.0.0.1:9 -a 127.0.0.1:1024abc
"1024abc" isn't a valid number for -a.
[1]
$ veskplay -a 127.0.0.1:9 -b 10k
"10k" isn't a valid number for -b.
[1]
$ veskplay -a 127.0.0.1:9 -b abc
"abc" isn't a valid number for -b.
[1]
$ veskplay -a 127.0.0.1:9 -b 089
"089" isn't a valid number for -b.
[1]
$ veskplay -a 127.0.0.1:9 -b 0x
"0x" isn't a valid number for -b.
[1]
$ veskplay -a 127.0.0.1:9 -b 4294967297
"4294967297" isn't a valid number for -b.
[1]
$ veskplay -a 127.0.0.1:9 -b 99999999999999999999
"99999999999999999999" isn't a valid number for -b.
[1]
$ veskplay -a 127.0.0.1:9 -j -2147483649
"-2147483649" isn't a valid number for -j.
[1]
$ veskplay -a 127.0.0.1:9 -d 0x100000000
"0x100000000" isn't a valid number for -d.
[1]
$ veskplay -a 127.0.0.1:9 -ts 0x200
"0x200" isn't a valid number for -ts.
[1]
$ veskplay -a 127.0.0.1:9 -ts 4294967396
"4294967396" isn't a valid number for -ts.
[1]
$ veskplay -a 127.0.0.1:9 -td 0.5v
"0.5v" isn't a valid number for -td.
[1]
$ veskplay -a 127.0.0.1:9 -q -w
Missing value for -q.
[1]
$ veskplay -a 127.0.0.1:9 /K /x
Missing value for /K.
[1]
$ veskplay -a 127.0.0.1:9 -m -z
Missing value for -m.
[1]
$ veskplay -a 127.0.0.1:9 -b ''
Missing value for -b.
[1]
$ veskplay -a 127.0.0.1:9 -a -w
Missing value for -a.
[1]
$ veskplay -a 127.0.0.1:9 -o /w
Missing value for -o.
[1]
$ veskplay -a 127.0.0.1:9 -c32 out.raw
Capture (/C or /U) channel must be in the range 0..31.
[1]
$ veskplay -a 127.0.0.1:9 -c-1 out.raw
Capture (/C or /U) channel must be in the range 0..31.
[1]
$ veskplay -a 127.0.0.1:9 -c4294967296 out.raw
Capture (/C or /U) channel must be in the range 0..31.
[1]
$ veskplay -a 127.0.0.1:9 -r32 in.raw
Playback (/R) channel must be in the range 0..31.
[1]
$ veskplay -a 127.0.0.1:9 -n32
Capture (/C) channel must be in the range 0..31.
[1]
$ veskplay -a 127.0.0.1:9 -c3 /tmp/x
"/tmp/x" doesn't look like a valid filename.
[1]
$ veskplay -a 127.0.0.1:9 -c3 -x
"-x" doesn't look like a valid filename.
[1]
$ veskplay -a 127.0.0.1:9 -r0 /in.raw
"/in.raw" doesn't look like a valid filename.
[1]
$ veskplay -a 127.0.0.1:9 -g -w
"-w" doesn't look like a valid filename.
[1]
$ veskplay -a 127.0.0.1:9 -g /tmp/log
"/tmp/log" doesn't look like a valid filename.
[1]
$ veskplay -a 127.0.0.1:9 -u0 blk -c1 blk.1
-c1 blk.1 is one of the block files of -u0 blk.
[1]
$ veskplay -a 127.0.0.1:9 -r2 ./d/blk.4294967295 -u31 d/blk
-r2 ./d/blk.4294967295 is one of the block files of -u31 d/blk.
[1]
$ veskplay -a 127.0.0.1:9 -c0 out.raw -r1 ./out.raw
-r1 ./out.raw and -c0 out.raw name the same file.
[1]
$ veskplay -a 127.0.0.1:9 -c0 d/../x -c5 x
-c0 d/../x and -c5 x name the same file.
[1]
$ veskplay -a 127.0.0.1:9 -u1 b -u0 ./b
-u0 ./b and -u1 b name the same file prefix.
[1]
$ veskplay -a 127.0.0.1:9 -l serv
Unrecognized loopback "serv".
[1]
$ veskplay -a 127.0.0.1:9 -y ''
"" isn't a valid string of hardware setting(s).
[1]
$ veskplay -a 127.0.0.1:9 -y -ppon
"-ppon" isn't a valid string of hardware setting(s).
[1]
$ veskplay -a 127.0.0.1:9 -y 'ppon;mlo'
"ppon;mlo" isn't a valid string of hardware setting(s).
[1]
$ veskplay -a 127.0.0.1:9 -f 24001
24001 Hz is too high for the 48000 Hz sample rate.
[1]
$ veskplay -a 127.0.0.1:9 -k 96000 -f 24001
24001 Hz is too high for the 48000 Hz sample rate.
[1]
$ veskplay -a 127.0.0.1:9 -m 1.5
Amplitude must be between 0.0 and 1.0
[1]
$ veskplay -a 127.0.0.1:9 -m nan
Amplitude must be between 0.0 and 1.0
[1]
$ veskplay -a 127.0.0.1:9 -td 1.01
Level must be between -1.0 and 1.0
[1]
$ veskplay -a 127.0.0.1:9 -td NAN
Level must be between -1.0 and 1.0
[1]
$ veskplay -a 127.0.0.1:9 -ts 99
millisecond count for ts must be at least 100
[1]
$ veskplay -a 127.0.0.1:9 -ts -5
millisecond count for ts must be at least 100
[1]
$ veskplay -a 127.0.0.1:9 -s 15
Samples per block must be in the range 16..65536.
[1]
$ veskplay -a 127.0.0.1:9 -s 65537
Samples per block must be in the range 16..65536.
[1]
$ veskplay -a 127.0.0.1:9 -k -1
Sample rate cannot be negative.
[1]
$ veskplay -a 127.0.0.1:9 -q -1
Starting quiet block count cannot be negative.
[1]
$ veskplay -a 127.0.0.1:9 -b 0
Block count must be at least 1.
[1]
$ veskplay -a 127.0.0.1:9 -e -1
Ending quiet block count cannot be negative.
[1]
$ veskplay -a 127.0.0.1:9 -f 0
Frequency must be a positive nonzero integer value in Hz.
[1]
$ veskplay -a 127.0.0.1:9 -k 16000 -f 8001
8001 Hz is too high for the 16000 Hz sample rate.
[1]
$ veskplay -a 127.0.0.1:9 -f 20000 -k 16000 -b 1
20000 Hz is too high for the 16000 Hz sample rate.
[1]
$ veskplay -a 127.0.0.1:9 -b 0 -v
Block count must be at least 1.
[1]
$ veskplay -a 127.0.0.1:9 -w -s 1
Requesting ramp-up and ramp-down blocks.
Samples per block must be in the range 16..65536.
[1]
$ ls
