# vesksim refuses a bad command line with one line and a hint, status 1,
# before it listens; a port file it cannot write ends it with status 1.
$ vesksim --listen localhost:0
! vesksim: --listen wants ADDRESS:PORT with an IPv4 address, not 'localhost:0'
! Try 'vesksim --help'.
[1]
$ vesksim --listen 127.0.0.1:65536
! vesksim: --listen wants ADDRESS:PORT with an IPv4 address, not '127.0.0.1:65536'
! Try 'vesksim --help'.
[1]
$ vesksim --listen 127.0.0.1
! vesksim: --listen wants ADDRESS:PORT with an IPv4 address, not '127.0.0.1'
! Try 'vesksim --help'.
[1]
$ vesksim --listen=127.0.0.1:-1
! vesksim: --listen wants ADDRESS:PORT with an IPv4 address, not '127.0.0.1:-1'
! Try 'vesksim --help'.
[1]
$ vesksim --inputs 33
! vesksim: --inputs wants a channel count from 1 to 32, not '33'
! Try 'vesksim --help'.
[1]
$ vesksim --outputs=0
! vesksim: --outputs wants a channel count from 1 to 32, not '0'
! Try 'vesksim --help'.
[1]
$ vesksim --outputs ''
! vesksim: --outputs wants a channel count from 1 to 32, not ''
! Try 'vesksim --help'.
[1]
$ vesksim --outputs ' 2'
! vesksim: --outputs wants a channel count from 1 to 32, not ' 2'
! Try 'vesksim --help'.
[1]
$ vesksim --outputs +2
! vesksim: --outputs wants a channel count from 1 to 32, not '+2'
! Try 'vesksim --help'.
[1]
$ vesksim --outputs 2x
! vesksim: --outputs wants a channel count from 1 to 32, not '2x'
! Try 'vesksim --help'.
[1]
$ vesksim --setup 0x100000000
! vesksim: --setup wants a 32-bit number, not '0x100000000'
! Try 'vesksim --help'.
[1]
$ vesksim --supported zz
! vesksim: --supported wants a 32-bit number, not 'zz'
! Try 'vesksim --help'.
[1]
$ vesksim --speed -1
! vesksim: --speed wants 0 or a number from 0.001 to 1e+06, not '-1'
! Try 'vesksim --help'.
[1]
$ vesksim --speed 0.0009
! vesksim: --speed wants 0 or a number from 0.001 to 1e+06, not '0.0009'
! Try 'vesksim --help'.
[1]
$ vesksim --speed 1000001
! vesksim: --speed wants 0 or a number from 0.001 to 1e+06, not '1000001'
! Try 'vesksim --help'.
[1]
$ vesksim --speed ''
! vesksim: --speed wants 0 or a number from 0.001 to 1e+06, not ''
! Try 'vesksim --help'.
[1]
$ vesksim --speed 1e999
! vesksim: --speed wants 0 or a number from 0.001 to 1e+06, not '1e999'
! Try 'vesksim --help'.
[1]
$ vesksim --hardware c4
! vesksim: --hardware wants c3 or b, not 'c4'
! Try 'vesksim --help'.
[1]
$ vesksim --port-file
! vesksim: --port-file wants a value
! Try 'vesksim --help'.
[1]
$ vesksim --port-file ''
! vesksim: --port-file wants a path
! Try 'vesksim --help'.
[1]
$ vesksim --verbose extra
! vesksim: unknown option 'extra'
! Try 'vesksim --help'.
[1]
$ vesksim --dut gain=loud
! vesksim: --dut gain wants dB from -200 to 60, not 'loud'
! Try 'vesksim --help'.
[1]
$ vesksim --dut gain=60.01
! vesksim: --dut gain wants dB from -200 to 60, not '60.01'
! Try 'vesksim --help'.
[1]
$ vesksim --dut gain=-200.01
! vesksim: --dut gain wants dB from -200 to 60, not '-200.01'
! Try 'vesksim --help'.
[1]
$ vesksim --dut 'gain= 1'
! vesksim: --dut gain wants dB from -200 to 60, not ' 1'
! Try 'vesksim --help'.
[1]
$ vesksim --dut gain
! vesksim: --dut gain wants dB from -200 to 60, not ''
! Try 'vesksim --help'.
[1]
$ vesksim --dut=delay=-1
! vesksim: --dut delay wants samples from 0 to 1000000, not '-1'
! Try 'vesksim --help'.
[1]
$ vesksim --dut delay=1000001
! vesksim: --dut delay wants samples from 0 to 1000000, not '1000001'
! Try 'vesksim --help'.
[1]
$ vesksim --dut noise=0.1
! vesksim: --dut noise wants dBFS from -200 to 0, or off, not '0.1'
! Try 'vesksim --help'.
[1]
$ vesksim --dut noise=-110,thd=-10
! vesksim: --dut thd wants dB from -200 to -20, or off, not '-10'
! Try 'vesksim --help'.
[1]
$ vesksim --dut thd=-201
! vesksim: --dut thd wants dB from -200 to -20, or off, not '-201'
! Try 'vesksim --help'.
[1]
$ vesksim --dut crosstalk=-200.5
! vesksim: --dut crosstalk wants dB from -200 to 0, or off, not '-200.5'
! Try 'vesksim --help'.
[1]
$ vesksim --dut crosstalk=nan
! vesksim: --dut crosstalk wants dB from -200 to 0, or off, not 'nan'
! Try 'vesksim --help'.
[1]
$ vesksim --dut crosstalk=0.5
! vesksim: --dut crosstalk wants dB from -200 to 0, or off, not '0.5'
! Try 'vesksim --help'.
[1]
$ vesksim --dut skew=1001
! vesksim: --dut skew wants samples from 0 to 1000, not '1001'
! Try 'vesksim --help'.
[1]
$ vesksim --dut lowpass=0
! vesksim: --dut lowpass wants a corner in Hz above 0, or off, not '0'
! Try 'vesksim --help'.
[1]
$ vesksim --dut highpass=-1
! vesksim: --dut highpass wants a corner in Hz above 0, or off, not '-1'
! Try 'vesksim --help'.
[1]
$ vesksim --dut highpass=inf
! vesksim: --dut highpass wants a corner in Hz above 0, or off, not 'inf'
! Try 'vesksim --help'.
[1]
$ vesksim --dut volume=3
! vesksim: --dut wants KEY=VALUE items, separated by commas, of gain, delay, noise, thd, crosstalk, highpass, lowpass or skew, not 'volume=3'
! Try 'vesksim --help'.
[1]
$ vesksim --dut gain=0,
! vesksim: --dut wants KEY=VALUE items, separated by commas, of gain, delay, noise, thd, crosstalk, highpass, lowpass or skew, not ''
! Try 'vesksim --help'.
[1]
$ vesksim --listen 127.0.0.1:0 --port-file /nonexistent/port
! vesksim: cannot write /nonexistent/port: No such file or directory
[1]
