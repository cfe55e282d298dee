# A channel the device does not serve ends the run with status 2 before any
# file is made, as do the Plenar-C3 options on Plenar-B hardware.
= three.raw
xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
=
@ vesksim --speed 0 --inputs 1 --outputs 1
$ veskplay -a %SIM% -s 64 -c5 x5.raw -n7 -u3 blk
Rev C3+ hardware detected.
Current hardware settings: running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
New hardware settings:     running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
Input channel 3 is not served: the device reports 1 input channel.
Input channel 5 is not served: the device reports 1 input channel.
Input channel 7 is not served: the device reports 1 input channel.
Shutting down.
Done.
[2]
$ veskplay -a %SIM% -s 64 -r2 three.raw -r1 three.raw
Rev C3+ hardware detected.
Current hardware settings: running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
New hardware settings:     running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
Output channel 1 is not served: the device reports 1 output channel.
Output channel 2 is not served: the device reports 1 output channel.
Shutting down.
Done.
[2]
$ ls
three.raw
# A query of the set-up ends the run there; a set-up that cannot be made
# fails it, and nothing is sent.
$ veskplay -a %SIM% -o query
Rev C3+ hardware detected.
Current hardware settings: running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
Shutting down.
Done.
$ veskplay -a %SIM% -o off -k 44100
Rev C3+ hardware detected.
Current hardware settings: running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
Sample rate must be 16000, 24000, 32000, or 48000.
Shutting down.
Done.
[2]
$ veskplay -a %SIM% -o stop
Rev C3+ hardware detected.
Current hardware settings: running at 48KHz; ppoff,mboff,mpoff,moff,auxoff,aoff,boff
Invalid -o option specified; choices are off, standby, run, query
Shutting down.
Done.
[2]
@ vesksim --speed 0 --hardware b
$ veskplay -a %SIM% -y ppon -o off
Rev C3+ features not supported; assuming Rev B hardware.
-y option requires Rev C3 hardware.
Shutting down.
Done.
[2]
$ veskplay -a %SIM% -o query
Rev C3+ features not supported; assuming Rev B hardware.
-o option requires Rev C3 hardware.
Shutting down.
Done.
[2]
# A bad value is refused even when help is asked for after it.
$ veskplay -a %SIM% -w -b 0 -h
Requesting ramp-up and ramp-down blocks.
Block count must be at least 1.
[1]
