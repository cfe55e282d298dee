# Every number option takes a whole or finite number and nothing around it
# (leading blanks excepted, as the C library reads them); anything else is
# one line naming what it takes, status 1, and no file.
$ veskgen sine --rate '48000x' a
! veskgen: --rate takes a whole number from 1000 to 1000000, not "48000x".
[1]
$ veskgen sine --rate '48000 ' a
! veskgen: --rate takes a whole number from 1000 to 1000000, not "48000 ".
[1]
$ veskgen sine --rate '48000.5e' a
! veskgen: --rate takes a whole number from 1000 to 1000000, not "48000.5e".
[1]
$ veskgen sine --rate '' a
! veskgen: --rate takes a whole number from 1000 to 1000000, not "".
[1]
$ veskgen sine --rate 'nan' a
! veskgen: --rate takes a whole number from 1000 to 1000000, not "nan".
[1]
$ veskgen sine --rate 'inf' a
! veskgen: --rate takes a whole number from 1000 to 1000000, not "inf".
[1]
$ veskgen sine --rate '-inf' a
! veskgen: --rate takes a whole number from 1000 to 1000000, not "-inf".
[1]
$ veskgen sine --rate '1e999' a
! veskgen: --rate takes a whole number from 1000 to 1000000, not "1e999".
[1]
$ veskgen sine --rate '99999999999999999999' a
! veskgen: --rate takes a whole number from 1000 to 1000000, not "99999999999999999999".
[1]
$ veskgen sine --block '64x' a
! veskgen: --block takes a whole number from 16 to 65536, not "64x".
[1]
$ veskgen sine --block '64 ' a
! veskgen: --block takes a whole number from 16 to 65536, not "64 ".
[1]
$ veskgen sine --block '64.5e' a
! veskgen: --block takes a whole number from 16 to 65536, not "64.5e".
[1]
$ veskgen sine --block '' a
! veskgen: --block takes a whole number from 16 to 65536, not "".
[1]
$ veskgen sine --block 'nan' a
! veskgen: --block takes a whole number from 16 to 65536, not "nan".
[1]
$ veskgen sine --block 'inf' a
! veskgen: --block takes a whole number from 16 to 65536, not "inf".
[1]
$ veskgen sine --block '-inf' a
! veskgen: --block takes a whole number from 16 to 65536, not "-inf".
[1]
$ veskgen sine --block '1e999' a
! veskgen: --block takes a whole number from 16 to 65536, not "1e999".
[1]
$ veskgen sine --block '99999999999999999999' a
! veskgen: --block takes a whole number from 16 to 65536, not "99999999999999999999".
[1]
$ veskgen sine --blocks '3x' a
! veskgen: --blocks takes a whole number from 1 to 1000000, not "3x".
[1]
$ veskgen sine --blocks '3 ' a
! veskgen: --blocks takes a whole number from 1 to 1000000, not "3 ".
[1]
$ veskgen sine --blocks '3.5e' a
! veskgen: --blocks takes a whole number from 1 to 1000000, not "3.5e".
[1]
$ veskgen sine --blocks '' a
! veskgen: --blocks takes a whole number from 1 to 1000000, not "".
[1]
$ veskgen sine --blocks 'nan' a
! veskgen: --blocks takes a whole number from 1 to 1000000, not "nan".
[1]
$ veskgen sine --blocks 'inf' a
! veskgen: --blocks takes a whole number from 1 to 1000000, not "inf".
[1]
$ veskgen sine --blocks '-inf' a
! veskgen: --blocks takes a whole number from 1 to 1000000, not "-inf".
[1]
$ veskgen sine --blocks '1e999' a
! veskgen: --blocks takes a whole number from 1 to 1000000, not "1e999".
[1]
$ veskgen sine --blocks '99999999999999999999' a
! veskgen: --blocks takes a whole number from 1 to 1000000, not "99999999999999999999".
[1]
$ veskgen multitone --tones '5x' a
! veskgen: --tones takes a whole number from 1 to 32768, not "5x".
[1]
$ veskgen multitone --tones '5 ' a
! veskgen: --tones takes a whole number from 1 to 32768, not "5 ".
[1]
$ veskgen multitone --tones '5.5e' a
! veskgen: --tones takes a whole number from 1 to 32768, not "5.5e".
[1]
$ veskgen multitone --tones '' a
! veskgen: --tones takes a whole number from 1 to 32768, not "".
[1]
$ veskgen multitone --tones 'nan' a
! veskgen: --tones takes a whole number from 1 to 32768, not "nan".
[1]
$ veskgen multitone --tones 'inf' a
! veskgen: --tones takes a whole number from 1 to 32768, not "inf".
[1]
$ veskgen multitone --tones '-inf' a
! veskgen: --tones takes a whole number from 1 to 32768, not "-inf".
[1]
$ veskgen multitone --tones '1e999' a
! veskgen: --tones takes a whole number from 1 to 32768, not "1e999".
[1]
$ veskgen multitone --tones '99999999999999999999' a
! veskgen: --tones takes a whole number from 1 to 32768, not "99999999999999999999".
[1]
$ veskgen sine --channels '2x' a
! veskgen: --channels takes a whole number from 1 to 32, not "2x".
[1]
$ veskgen sine --channels '2 ' a
! veskgen: --channels takes a whole number from 1 to 32, not "2 ".
[1]
$ veskgen sine --channels '2.5e' a
! veskgen: --channels takes a whole number from 1 to 32, not "2.5e".
[1]
$ veskgen sine --channels '' a
! veskgen: --channels takes a whole number from 1 to 32, not "".
[1]
$ veskgen sine --channels 'nan' a
! veskgen: --channels takes a whole number from 1 to 32, not "nan".
[1]
$ veskgen sine --channels 'inf' a
! veskgen: --channels takes a whole number from 1 to 32, not "inf".
[1]
$ veskgen sine --channels '-inf' a
! veskgen: --channels takes a whole number from 1 to 32, not "-inf".
[1]
$ veskgen sine --channels '1e999' a
! veskgen: --channels takes a whole number from 1 to 32, not "1e999".
[1]
$ veskgen sine --channels '99999999999999999999' a
! veskgen: --channels takes a whole number from 1 to 32, not "99999999999999999999".
[1]
$ veskgen sine --freq '1000x' a
! veskgen: --freq takes a frequency in Hz, not "1000x".
[1]
$ veskgen sine --freq '1000 ' a
! veskgen: --freq takes a frequency in Hz, not "1000 ".
[1]
$ veskgen sine --freq '1000.5e' a
! veskgen: --freq takes a frequency in Hz, not "1000.5e".
[1]
$ veskgen sine --freq '' a
! veskgen: --freq takes a frequency in Hz, not "".
[1]
$ veskgen sine --freq 'nan' a
! veskgen: --freq takes a frequency in Hz, not "nan".
[1]
$ veskgen sine --freq 'inf' a
! veskgen: --freq takes a frequency in Hz, not "inf".
[1]
$ veskgen sine --freq '-inf' a
! veskgen: --freq takes a frequency in Hz, not "-inf".
[1]
$ veskgen sine --freq '1e999' a
! veskgen: --freq takes a frequency in Hz, not "1e999".
[1]
$ veskgen sine --freq '-1e999' a
! veskgen: --freq takes a frequency in Hz, not "-1e999".
[1]
$ veskgen multitone --from '100x' a
! veskgen: --from takes a frequency in Hz, not "100x".
[1]
$ veskgen multitone --from '100 ' a
! veskgen: --from takes a frequency in Hz, not "100 ".
[1]
$ veskgen multitone --from '100.5e' a
! veskgen: --from takes a frequency in Hz, not "100.5e".
[1]
$ veskgen multitone --from '' a
! veskgen: --from takes a frequency in Hz, not "".
[1]
$ veskgen multitone --from 'nan' a
! veskgen: --from takes a frequency in Hz, not "nan".
[1]
$ veskgen multitone --from 'inf' a
! veskgen: --from takes a frequency in Hz, not "inf".
[1]
$ veskgen multitone --from '-inf' a
! veskgen: --from takes a frequency in Hz, not "-inf".
[1]
$ veskgen multitone --from '1e999' a
! veskgen: --from takes a frequency in Hz, not "1e999".
[1]
$ veskgen multitone --from '-1e999' a
! veskgen: --from takes a frequency in Hz, not "-1e999".
[1]
$ veskgen multitone --to '10000x' a
! veskgen: --to takes a frequency in Hz, not "10000x".
[1]
$ veskgen multitone --to '10000 ' a
! veskgen: --to takes a frequency in Hz, not "10000 ".
[1]
$ veskgen multitone --to '10000.5e' a
! veskgen: --to takes a frequency in Hz, not "10000.5e".
[1]
$ veskgen multitone --to '' a
! veskgen: --to takes a frequency in Hz, not "".
[1]
$ veskgen multitone --to 'nan' a
! veskgen: --to takes a frequency in Hz, not "nan".
[1]
$ veskgen multitone --to 'inf' a
! veskgen: --to takes a frequency in Hz, not "inf".
[1]
$ veskgen multitone --to '-inf' a
! veskgen: --to takes a frequency in Hz, not "-inf".
[1]
$ veskgen multitone --to '1e999' a
! veskgen: --to takes a frequency in Hz, not "1e999".
[1]
$ veskgen multitone --to '-1e999' a
! veskgen: --to takes a frequency in Hz, not "-1e999".
[1]
$ veskgen sine --level '-6x' a
! veskgen: --level takes a level in dBFS, not "-6x".
[1]
$ veskgen sine --level '-6 ' a
! veskgen: --level takes a level in dBFS, not "-6 ".
[1]
$ veskgen sine --level '-6.5e' a
! veskgen: --level takes a level in dBFS, not "-6.5e".
[1]
$ veskgen sine --level '' a
! veskgen: --level takes a level in dBFS, not "".
[1]
$ veskgen sine --level 'nan' a
! veskgen: --level takes a level in dBFS, not "nan".
[1]
$ veskgen sine --level 'inf' a
! veskgen: --level takes a level in dBFS, not "inf".
[1]
$ veskgen sine --level '-inf' a
! veskgen: --level takes a level in dBFS, not "-inf".
[1]
$ veskgen sine --level '1e999' a
! veskgen: --level takes a level in dBFS, not "1e999".
[1]
$ veskgen sine --level '-1e999' a
! veskgen: --level takes a level in dBFS, not "-1e999".
[1]
$ veskgen multitone --total '-12x' a
! veskgen: --total takes a level in dBFS, not "-12x".
[1]
$ veskgen multitone --total '-12 ' a
! veskgen: --total takes a level in dBFS, not "-12 ".
[1]
$ veskgen multitone --total '-12.5e' a
! veskgen: --total takes a level in dBFS, not "-12.5e".
[1]
$ veskgen multitone --total '' a
! veskgen: --total takes a level in dBFS, not "".
[1]
$ veskgen multitone --total 'nan' a
! veskgen: --total takes a level in dBFS, not "nan".
[1]
$ veskgen multitone --total 'inf' a
! veskgen: --total takes a level in dBFS, not "inf".
[1]
$ veskgen multitone --total '-inf' a
! veskgen: --total takes a level in dBFS, not "-inf".
[1]
$ veskgen multitone --total '1e999' a
! veskgen: --total takes a level in dBFS, not "1e999".
[1]
$ veskgen multitone --total '-1e999' a
! veskgen: --total takes a level in dBFS, not "-1e999".
[1]
$ veskgen multitone --per-octave '2x' a
! veskgen: --per-octave takes a number of tones, not "2x".
[1]
$ veskgen multitone --per-octave '2 ' a
! veskgen: --per-octave takes a number of tones, not "2 ".
[1]
$ veskgen multitone --per-octave '2.5e' a
! veskgen: --per-octave takes a number of tones, not "2.5e".
[1]
$ veskgen multitone --per-octave '' a
! veskgen: --per-octave takes a number of tones, not "".
[1]
$ veskgen multitone --per-octave 'nan' a
! veskgen: --per-octave takes a number of tones, not "nan".
[1]
$ veskgen multitone --per-octave 'inf' a
! veskgen: --per-octave takes a number of tones, not "inf".
[1]
$ veskgen multitone --per-octave '-inf' a
! veskgen: --per-octave takes a number of tones, not "-inf".
[1]
$ veskgen multitone --per-octave '1e999' a
! veskgen: --per-octave takes a number of tones, not "1e999".
[1]
$ veskgen multitone --per-octave '-1e999' a
! veskgen: --per-octave takes a number of tones, not "-1e999".
[1]
$ ls
# Leading blanks are read past, in every number option.
$ veskgen sine --rate ' 48000' --block ' 64' --blocks ' 3' --channels ' 2' --freq ' 1000' --level ' -6' a
a.0: 750.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 3 blocks of 64 samples at 48000 Hz
a.1: 750.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 3 blocks of 64 samples at 48000 Hz
$ veskgen multitone --tones ' 5' --from ' 100' --to ' 10000' --total ' -12' --block 4096 b
b: 5 tones from 105.469 Hz to 9996.094 Hz at -18.99 dBFS each (-12.00 dBFS in all), crest factor 9.64 dB, 1 block of 4096 samples at 48000 Hz
$ veskgen multitone --per-octave ' 2' --block 4096 c
c: 20 tones from 23.438 Hz to 20003.906 Hz at -25.01 dBFS each (-12.00 dBFS in all), crest factor 8.82 dB, 1 block of 4096 samples at 48000 Hz
