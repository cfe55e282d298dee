# veskgen refuses a bad command line with one line and status 1, and a file
# it cannot write with status 2; either way no file is left behind.
$ veskgen
! veskgen: Say sine or multitone first (see veskgen --help).
[1]
$ veskgen sine
! veskgen: No output file given (see veskgen --help).
[1]
$ veskgen sine --freq 24000 a
! veskgen: --freq 24000 Hz is not below half the rate (24000 Hz).
[1]
$ veskgen multitone --to 30000 a
! veskgen: --to 30000 Hz is not below half the rate (24000 Hz).
[1]
$ veskgen multitone --from 500 --to 400 a
! veskgen: --from must be below --to.
[1]
$ veskgen sine --level 0.5 a
! veskgen: --level takes a level from -150 to 0 dBFS, not "0.5".
[1]
$ veskgen sine --level -150.01 a
! veskgen: --level takes a level from -150 to 0 dBFS, not "-150.01".
[1]
$ veskgen multitone --total -150.01 a
! veskgen: --total takes a level from -150 to 0 dBFS, not "-150.01".
[1]
$ veskgen sine --level 0 a
! veskgen: --level 0 would clip: at most -0.01 dBFS fits (crest factor 3.01 dB).
[1]
$ veskgen multitone --total -1 a
! veskgen: --total -1 would clip: at most -5.16 dBFS fits (crest factor 8.17 dB).
[1]
$ veskgen multitone --tones 32 --channels 32 --distinct a
! veskgen: The default --total -12 would clip: at most -14.77 dBFS fits (crest factor 17.77 dB).
[1]
$ veskgen multitone --tones 2000 a
! veskgen: 2000 tones do not fit from 20 Hz to 20000 Hz in blocks of 4096 samples: there are 1706 bins.
[1]
$ veskgen multitone --tones 3 --per-octave 1 a
! veskgen: Give --tones or --per-octave, not both.
[1]
$ veskgen sine --level -6 --total -6 a
! veskgen: Give --level or --total, not both.
[1]
$ veskgen sine --distinct a
! veskgen: --distinct is for multitone.
[1]
$ veskgen multitone --distinct a
! veskgen: --distinct needs --channels of 2 or more.
[1]
$ veskgen sine --from 20 a
! veskgen: --from is for multitone.
[1]
$ veskgen sine --to 2000 a
! veskgen: --to is for multitone.
[1]
$ veskgen sine --tones 5 a
! veskgen: --tones is for multitone.
[1]
$ veskgen sine --per-octave 2 a
! veskgen: --per-octave is for multitone.
[1]
$ veskgen sine --block 8 a
! veskgen: --block takes a whole number from 16 to 65536, not "8".
[1]
$ veskgen sine --block 0 a
! veskgen: --block takes a whole number from 16 to 65536, not "0".
[1]
$ veskgen sine --block -99999999999999999999 a
! veskgen: --block takes a whole number from 16 to 65536, not "-99999999999999999999".
[1]
$ veskgen sine --freq 1e-999 a
! veskgen: --freq takes a frequency in Hz, not "1e-999".
[1]
$ veskgen sine --channels 3 a b
! veskgen: 2 files named for 3 channels: give one name, or one per channel.
[1]
$ veskgen sine --channels 2 a b c
! veskgen: 3 files named for 2 channels: give one name, or one per channel.
[1]
$ veskgen sine a b
! veskgen: 2 files named for 1 channel: give one name, or one per channel.
[1]
$ veskgen sine --channels 2 a ./a
! veskgen: ./a is named twice.
[1]
$ veskgen sine --describe a a
! veskgen: a is named twice.
[1]
$ veskgen sine --frobnicate a
! veskgen: Unknown option --frobnicate (see veskgen --help).
[1]
$ veskgen sine --level
! veskgen: --level needs a value.
[1]
$ veskgen sine --channels 2 a .
! veskgen: Cannot write .: Is a directory.
[2]
$ veskgen sine --describe . a
! veskgen: Cannot write .: Is a directory.
[2]
$ veskgen sine --channels 2 a missing/b
! veskgen: Cannot write missing/b: No such file or directory.
[2]
$ veskgen sine --describe missing/d.json a
! veskgen: Cannot write missing/d.json: No such file or directory.
[2]
$ ls
# A described name is JSON text: a blank stays a blank, quotes,
# backslashes and control characters (a tab here) are escaped.
$ veskgen sine --block 16 --channels 2 --describe 'd e.json' 'a b' 'q"\	t'
a b: 3000.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 1 block of 16 samples at 48000 Hz
q"\	t: 3000.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 1 block of 16 samples at 48000 Hz
$ cat 'd e.json'
{
  "rate": 48000,
  "block": 16,
  "blocks": 1,
  "channels": [
    {
      "file": "a b",
      "total_level_dbfs": -6.0000,
      "crest_factor_db": 3.0103,
      "bins": [1],
      "freq_hz": [3000.000000],
      "level_dbfs": [-6.0000],
      "phase_deg": [-90.0000]
    },
    {
      "file": "q\"\\\u0009t",
      "total_level_dbfs": -6.0000,
      "crest_factor_db": 3.0103,
      "bins": [1],
      "freq_hz": [3000.000000],
      "level_dbfs": [-6.0000],
      "phase_deg": [-90.0000]
    }
  ]
}
# A block that is not a power of two gets as many rounds of lowering the
# crest factor as its cost allows.
$ veskgen multitone --block 10000 --tones 20 x
x: 20 tones from 19.200 Hz to 20001.600 Hz at -25.01 dBFS each (-12.00 dBFS in all), crest factor 10.63 dB, 1 block of 10000 samples at 48000 Hz
