# A capture in per-block parts measures as the parts joined (its windows
# straddle the parts), and a reference it does not match leaves bitexact
# n/a, which fails its limit.
$ veskgen sine --freq 1500 --level -6 --block 1536 --blocks 4 whole.raw
whole.raw: 1500.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 4 blocks of 1536 samples at 48000 Hz
$ veskgen sine --freq 1500 --level -6 --block 1536 part.raw
part.raw: 1500.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 1 block of 1536 samples at 48000 Hz
$ veskgen sine --freq 700 --level -6 --block 4096 other.raw
other.raw: 703.125 Hz at -6.00 dBFS, crest factor 3.01 dB, 1 block of 4096 samples at 48000 Hz
$ veskmeasure whole.raw
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 1024 samples
Band: 20 Hz to 20 kHz
Spectrum: 2048 samples, 23.44 Hz bins
Reference: none
Latency range: 65536 samples either way
Weighting: none
Channel 0: whole.raw (6144 samples, 6 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.000 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       1500.0000 Hz               1500.0000 Hz at sample 1024
  thd        -192.53 dB (2.36e-08 %)    -192.82 dB (2.29e-08 %) at sample 0
  thdn       -184.10 dB (6.24e-08 %)    -191.85 dB (2.56e-08 %) at sample 0
  snr        184.69 dB                  198.84 dB at sample 0
  noise      -190.10 dBFS               -197.85 dBFS at sample 0
  dr         n/a (tone at -6.0 dBFS, not within -70 to -50 dBFS)
No limits given.
$ veskmeasure part.raw,part.raw,part.raw,part.raw
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 1024 samples
Band: 20 Hz to 20 kHz
Spectrum: 2048 samples, 23.44 Hz bins
Reference: none
Latency range: 65536 samples either way
Weighting: none
Channel 0: part.raw,part.raw,part.raw,part.raw (6144 samples, 6 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.000 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       1500.0000 Hz               1500.0000 Hz at sample 1024
  thd        -192.53 dB (2.36e-08 %)    -192.82 dB (2.29e-08 %) at sample 0
  thdn       -184.10 dB (6.24e-08 %)    -191.85 dB (2.56e-08 %) at sample 0
  snr        184.69 dB                  198.84 dB at sample 0
  noise      -190.10 dBFS               -197.85 dBFS at sample 0
  dr         n/a (tone at -6.0 dBFS, not within -70 to -50 dBFS)
No limits given.
$ veskmeasure --reference other.raw --latency-range 100 --limit bitexact part.raw
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 1024 samples
Band: 20 Hz to 20 kHz
Spectrum: 512 samples, 93.75 Hz bins
Reference: other.raw
Latency range: 100 samples either way
Weighting: none
Channel 0: part.raw (1536 samples, 2 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.000 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       1500.0000 Hz               1500.0000 Hz at sample 512
  thd        -179.60 dB (1.05e-07 %)    -192.82 dB (2.29e-08 %) at sample 0
  thdn       -179.48 dB (1.06e-07 %)    -191.85 dB (2.56e-08 %) at sample 0
  snr        188.66 dB                  198.84 dB at sample 0
  noise      -185.48 dBFS               -197.85 dBFS at sample 0
  dr         n/a (tone at -6.0 dBFS, not within -70 to -50 dBFS)
  latency    n/a (no match within 100 samples either way)
  bitexact   n/a (no match within 100 samples either way)
Limits:
  channel 0   bitexact                 n/a (no match within 100 samples either way) FAIL
Verdict: FAIL, 1 of 1 limits fail.
[1]
# Names and limits of any length are printed whole.
$ veskmeasure --limit level<=0.000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 1024 samples
Band: 20 Hz to 20 kHz
Spectrum: 32768 samples, 1.465 Hz bins
Reference: none
Latency range: 65536 samples either way
Weighting: none
Channel 0: part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw,part.raw (92160 samples, 90 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.000 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       1500.0000 Hz               1500.0000 Hz at sample 1024
  thd        -192.82 dB (2.29e-08 %)    -192.82 dB (2.29e-08 %) at sample 0
  thdn       -191.77 dB (2.58e-08 %)    -191.85 dB (2.56e-08 %) at sample 0
  snr        198.45 dB                  198.84 dB at sample 0
  noise      -197.77 dBFS               -197.85 dBFS at sample 0
  dr         n/a (tone at -6.0 dBFS, not within -70 to -50 dBFS)
Limits:
  channel 0   level<=0.000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -6.000 dBFS              PASS
Verdict: PASS, 1 of 1 limits hold.
