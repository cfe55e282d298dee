# A playback file veskplay cannot play refuses the run with status 1 before
# anything is staged, and every capture file is left as the run found it.
= short.raw
xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
=
= one.raw
xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
=
= two.raw
xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
=
= remnant.raw
xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
=
= empty.raw
=
= cap.raw
an earlier run's capture
=
@ vesksim --speed 0 --outputs 5
# Quiet blocks are added up to 4000 samples over the five outputs.
$ veskplay -a %SIM% -s 64 -q 12 -c0 cap.raw -c1 new.raw -r0 missing.raw -r1 one.raw
Rev C3+ hardware detected.
Current hardware settings: running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
New hardware settings:     running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
Adding 1 quiet block to meet synchronization requirements
Capturing channel 0 to cap.raw.
Capturing channel 1 to new.raw.
Could not open missing.raw for reading: No such file or directory
[1]
$ veskplay -a %SIM% -s 80 -c0 cap.raw -c1 new.raw -r1 short.raw
Rev C3+ hardware detected.
Current hardware settings: running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
New hardware settings:     running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
Capturing channel 0 to cap.raw.
Capturing channel 1 to new.raw.
short.raw is the wrong length (expected 80 samples, got 63)
[1]
$ veskplay -a %SIM% -s 64 -c0 cap.raw -c1 new.raw -x -r0 empty.raw
Rev C3+ hardware detected.
Current hardware settings: running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
New hardware settings:     running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
Adding 3 quiet blocks to meet synchronization requirements
Capturing channel 0 to cap.raw.
Capturing channel 1 to new.raw.
empty.raw contains 0 full blocks
empty.raw is empty
[1]
# In extended mode the first file sets the length; a longer one is cut, a
# shorter one padded, one of the same length kept as it is.
$ veskplay -a %SIM% -s 64 -c0 cap.raw -c1 new.raw -x -r0 two.raw -r1 one.raw -r2 two.raw -r3 remnant.raw
Rev C3+ hardware detected.
Current hardware settings: running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
New hardware settings:     running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
Adding 3 quiet blocks to meet synchronization requirements
Capturing channel 0 to cap.raw.
Capturing channel 1 to new.raw.
two.raw contains 2 full blocks
The length of the output sequence will be set to 2 blocks
one.raw contains 1 full blocks
one.raw is shorter than first playback file; will be silence-padded to 2 blocks
two.raw contains 2 full blocks
remnant.raw contains 2 full blocks and a remnant of 188 bytes
remnant.raw is longer than first playback file; truncating to 2 blocks
Channel 0 stimulus data is external input.
Channel 1 stimulus data is external input.
Channel 2 stimulus data is external input.
Channel 3 stimulus data is external input.
In extended mode, channel stimulus must be external data or silence; channel 4 is not
[1]
$ ls
cap.raw
empty.raw
one.raw
remnant.raw
short.raw
two.raw
$ cat cap.raw
an earlier run's capture
