# Multitone references: a channel whose stimulus is not found is n/a with
# the reason, in the report and in every limit on it; references that do not
# go together are refused.
$ veskgen multitone --tones 8 --from 200 --to 8000 --block 4096 --channels 2 --distinct ref
ref.0: 8 tones from 199.219 Hz to 6257.812 Hz at -21.03 dBFS each (-12.00 dBFS in all), crest factor 9.08 dB, 1 block of 4096 samples at 48000 Hz
ref.1: 8 tones from 257.812 Hz to 8003.906 Hz at -21.03 dBFS each (-12.00 dBFS in all), crest factor 10.29 dB, 1 block of 4096 samples at 48000 Hz
$ veskgen multitone --tones 8 --from 200 --to 8000 --block 4096 --blocks 4 --channels 2 --distinct cap
cap.0: 8 tones from 199.219 Hz to 6257.812 Hz at -21.03 dBFS each (-12.00 dBFS in all), crest factor 9.08 dB, 4 blocks of 4096 samples at 48000 Hz
cap.1: 8 tones from 257.812 Hz to 8003.906 Hz at -21.03 dBFS each (-12.00 dBFS in all), crest factor 10.29 dB, 4 blocks of 4096 samples at 48000 Hz
$ veskgen multitone --tones 8 --from 200 --to 8000 --block 8192 long.raw
long.raw: 8 tones from 199.219 Hz to 7998.047 Hz at -21.03 dBFS each (-12.00 dBFS in all), crest factor 10.30 dB, 1 block of 8192 samples at 48000 Hz
$ veskgen sine --block 4096 --blocks 4 sine.raw
sine.raw: 996.094 Hz at -6.00 dBFS, crest factor 3.01 dB, 4 blocks of 4096 samples at 48000 Hz
$ veskmeasure --reference ref.0 --reference ref.1 --limit flatness<=1 --limit tdn<=-60 --limit crosstalk<=-60 cap.0 sine.raw
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 1024 samples
Band: 20 Hz to 20 kHz
Spectrum: 8192 samples, 5.859 Hz bins
References: ref.0, ref.1
Latency range: 65536 samples either way
Weighting: none
Channel 0: cap.0 (16384 samples, 16 windows)
  figure     whole capture              worst window
  level      -12.000 dBFS               -12.105 dBFS at sample 0
  peak       -5.929 dBFS                -5.929 dBFS at sample 2048
  dc         0.0000 %                   -0.6357 % at sample 1024
  freq       n/a (a multitone)          n/a (a multitone)
  thd        n/a (a multitone)          n/a (a multitone)
  thdn       n/a (a multitone)          n/a (a multitone)
  snr        n/a (a multitone)          n/a (a multitone)
  noise      n/a (a multitone)          n/a (a multitone)
  dr         n/a (a multitone)
Channel 1: sine.raw (16384 samples, 16 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.004 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 1024
  dc         0.0000 %                   0.0000 % at sample 0
  freq       n/a (a multitone)          n/a (a multitone)
  thd        n/a (a multitone)          n/a (a multitone)
  thdn       n/a (a multitone)          n/a (a multitone)
  snr        n/a (a multitone)          n/a (a multitone)
  noise      n/a (a multitone)          n/a (a multitone)
  dr         n/a (a multitone)
Multitone: blocks of 4096 samples (11.719 Hz per bin), 16 tones in all
Channel 0: 3 blocks averaged from sample 4096, latency 0 samples, tdn -188.43 dB, flatness 0.000 dB
  response relative to 878.906 Hz
     freq (Hz)  gain (dB)  response (dB)  phase (deg)
       199.219      0.000          0.000         0.00
       328.125      0.000          0.000         0.00
       539.062      0.000          0.000         0.00
       878.906      0.000          0.000         0.00
      1429.688      0.000          0.000         0.00
      2343.750      0.000          0.000         0.00
      3820.312      0.000          0.000         0.00
      6257.812      0.000          0.000         0.00
Channel 1: n/a (no stimulus found)
Crosstalk (dB): input by row, stimulus by column; < marks a pair below the floor
               0         1
     0         -       n/a
     1       n/a         -
Limits:
  channel 0   flatness<=1              0.000 dB                 PASS
  channel 0   tdn<=-60                 -188.43 dB               PASS
  channel 0   crosstalk<=-60 from 1    n/a (no stimulus found)  FAIL
  channel 1   flatness<=1              n/a (no stimulus found)  FAIL
  channel 1   tdn<=-60                 n/a (no stimulus found)  FAIL
  channel 1   crosstalk<=-60 from 0    n/a (no stimulus found)  FAIL
Verdict: FAIL, 4 of 6 limits fail.
[1]
$ veskmeasure --reference ref.0 --reference long.raw cap.0 cap.1
! veskmeasure: The multitone references differ in length: 4096 and 8192 samples.
[2]
$ veskmeasure --reference ref.0 --reference sine.raw cap.0 cap.1
! veskmeasure: Reference sine.raw is not a multitone, but another reference is.
[2]
$ veskmeasure --reference ref.0 --reference ref.1 cap.0 cap.1 cap.0
! veskmeasure: --reference is given 2 times for 3 channels: once for all, or once per channel.
[2]
# A plain reference that the capture does not match leaves latency and
# bitexact null in the JSON, with the reason; a driven channel gives the
# others' crosstalk.
$ veskmeasure --json - --reference sine.raw cap.0
{
  "tool": "veskmeasure",
  "version": "2018.03.30",
  "rate_hz": 48000,
  "window_samples": 1024,
  "band_hz": [20, 20000],
  "spectrum_samples": [8192],
  "bin_hz": [5.85938],
  "references": ["sine.raw"],
  "latency_range_samples": 65536,
  "weighting": "none",
  "verdict": "PASS",
  "limits_failed": 0,
  "channels": [
    {
      "channel": 0,
      "files": "cap.0",
      "samples": 16384,
      "windows": 16,
      "figures": {
        "level": {"unit": "dBFS", "whole": -12.000, "worst": -12.105, "worst_at": 0},
        "peak": {"unit": "dBFS", "whole": -5.929, "worst": -5.929, "worst_at": 2048},
        "dc": {"unit": "%", "whole": 0.0000, "worst": -0.6357, "worst_at": 1024},
        "freq": {"unit": "Hz", "whole": 1429.6875, "worst": null, "worst_reason": "no tone in the window at sample 0", "worst_at": null},
        "thd": {"unit": "dB", "whole": -188.70, "whole_percent": 3.675e-08, "worst": -27.67, "worst_percent": 4.135, "worst_at": 0},
        "thdn": {"unit": "dB", "whole": 8.45, "whole_percent": 264.6, "worst": 8.77, "worst_percent": 274.6, "worst_at": 0},
        "snr": {"unit": "dB", "whole": -8.45, "worst": -8.77, "worst_at": 0},
        "noise": {"unit": "dBFS", "whole": -12.58, "worst": -12.38, "worst_at": 2048},
        "dr": {"unit": "dB", "whole": null, "whole_reason": "tone at -21.0 dBFS, not within -70 to -50 dBFS"},
        "latency": {"unit": "samples", "whole": null, "whole_reason": "no match within 65536 samples either way"},
        "bitexact": {"whole": null, "whole_reason": "no match within 65536 samples either way"}
      },
      "limits": []
    }
  ]
}
$ veskmeasure --json - --driven 0 sine.raw cap.0
{
  "tool": "veskmeasure",
  "version": "2018.03.30",
  "rate_hz": 48000,
  "window_samples": 1024,
  "band_hz": [20, 20000],
  "spectrum_samples": [8192, 8192],
  "bin_hz": [5.85938, 5.85938],
  "references": [],
  "latency_range_samples": 65536,
  "weighting": "none",
  "verdict": "PASS",
  "limits_failed": 0,
  "channels": [
    {
      "channel": 0,
      "files": "sine.raw",
      "samples": 16384,
      "windows": 16,
      "figures": {
        "level": {"unit": "dBFS", "whole": -6.000, "worst": -6.004, "worst_at": 0},
        "peak": {"unit": "dBFS", "whole": -6.000, "worst": -6.000, "worst_at": 1024},
        "dc": {"unit": "%", "whole": 0.0000, "worst": 0.0000, "worst_at": 0},
        "freq": {"unit": "Hz", "whole": 996.0937, "worst": 996.0937, "worst_at": 1024},
        "thd": {"unit": "dB", "whole": -202.75, "whole_percent": 7.286e-09, "worst": -206.45, "worst_percent": 4.76e-09, "worst_at": 1024},
        "thdn": {"unit": "dB", "whole": -188.40, "whole_percent": 3.8e-08, "worst": -189.09, "worst_percent": 3.51e-08, "worst_at": 1024},
        "snr": {"unit": "dB", "whole": 188.38, "worst": 189.17, "worst_at": 1024},
        "noise": {"unit": "dBFS", "whole": -194.40, "worst": -195.09, "worst_at": 1024},
        "dr": {"unit": "dB", "whole": null, "whole_reason": "tone at -6.0 dBFS, not within -70 to -50 dBFS"}
      },
      "limits": []
    },
    {
      "channel": 1,
      "files": "cap.0",
      "samples": 16384,
      "windows": 16,
      "figures": {
        "level": {"unit": "dBFS", "whole": -12.000, "worst": -12.105, "worst_at": 0},
        "peak": {"unit": "dBFS", "whole": -5.929, "worst": -5.929, "worst_at": 2048},
        "dc": {"unit": "%", "whole": 0.0000, "worst": -0.6357, "worst_at": 1024},
        "freq": {"unit": "Hz", "whole": 1429.6875, "worst": null, "worst_reason": "no tone in the window at sample 0", "worst_at": null},
        "thd": {"unit": "dB", "whole": -188.70, "whole_percent": 3.675e-08, "worst": -27.67, "worst_percent": 4.135, "worst_at": 0},
        "thdn": {"unit": "dB", "whole": 8.45, "whole_percent": 264.6, "worst": 8.77, "worst_percent": 274.6, "worst_at": 0},
        "snr": {"unit": "dB", "whole": -8.45, "worst": -8.77, "worst_at": 0},
        "noise": {"unit": "dBFS", "whole": -12.58, "worst": -12.38, "worst_at": 2048},
        "dr": {"unit": "dB", "whole": null, "whole_reason": "tone at -21.0 dBFS, not within -70 to -50 dBFS"},
        "crosstalk": {"unit": "dB", "whole": -211.54}
      },
      "limits": []
    }
  ]
}
# Channels that share a stimulus match only when each has it; crosstalk
# from a driven channel without a tone is n/a too.
$ veskmeasure --reference ref.0 --limit latency=0 --limit gain-match<=0.1 --limit phase-match<=1 cap.0 sine.raw
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 1024 samples
Band: 20 Hz to 20 kHz
Spectrum: 8192 samples, 5.859 Hz bins
Reference: ref.0
Latency range: 65536 samples either way
Weighting: none
Channel 0: cap.0 (16384 samples, 16 windows)
  figure     whole capture              worst window
  level      -12.000 dBFS               -12.105 dBFS at sample 0
  peak       -5.929 dBFS                -5.929 dBFS at sample 2048
  dc         0.0000 %                   -0.6357 % at sample 1024
  freq       n/a (a multitone)          n/a (a multitone)
  thd        n/a (a multitone)          n/a (a multitone)
  thdn       n/a (a multitone)          n/a (a multitone)
  snr        n/a (a multitone)          n/a (a multitone)
  noise      n/a (a multitone)          n/a (a multitone)
  dr         n/a (a multitone)
Channel 1: sine.raw (16384 samples, 16 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.004 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 1024
  dc         0.0000 %                   0.0000 % at sample 0
  freq       n/a (a multitone)          n/a (a multitone)
  thd        n/a (a multitone)          n/a (a multitone)
  thdn       n/a (a multitone)          n/a (a multitone)
  snr        n/a (a multitone)          n/a (a multitone)
  noise      n/a (a multitone)          n/a (a multitone)
  dr         n/a (a multitone)
Multitone: blocks of 4096 samples (11.719 Hz per bin), 8 tones in all
Channel 0: 3 blocks averaged from sample 4096, latency 0 samples, tdn -188.43 dB, flatness 0.000 dB
  response relative to 878.906 Hz
     freq (Hz)  gain (dB)  response (dB)  phase (deg)
       199.219      0.000          0.000         0.00
       328.125      0.000          0.000         0.00
       539.062      0.000          0.000         0.00
       878.906      0.000          0.000         0.00
      1429.688      0.000          0.000         0.00
      2343.750      0.000          0.000         0.00
      3820.312      0.000          0.000         0.00
      6257.812      0.000          0.000         0.00
Channel 1: n/a (no stimulus found)
Channel match: gain n/a, phase n/a (a channel without that tone or latency)
Limits:
  channel 0   latency=0                0 samples                PASS
  channel 1   latency=0                n/a (no stimulus found)  FAIL
  channel all gain-match<=0.1          n/a (a channel without that tone or latency) FAIL
  channel all phase-match<=1           n/a (a channel without that tone or latency) FAIL
Verdict: FAIL, 3 of 4 limits fail.
[1]
= dc.raw
xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
=
$ veskmeasure --driven 0 --limit crosstalk<=-60 dc.raw sine.raw
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 1024 samples
Band: 20 Hz to 20 kHz
Spectrum: channel 0: 1024 samples, 46.88 Hz bins; channel 1: 8192 samples, 5.859 Hz bins
Reference: none
Latency range: 65536 samples either way
Weighting: none
Channel 0: dc.raw (1024 samples, 1 windows)
  figure     whole capture              worst window
  level      2.480 dBFS                 2.480 dBFS at sample 0
  peak       -0.527 dBFS                -0.527 dBFS at sample 0
  dc         94.0337 %                  n/a (capture too short for its tone: 12 periods needed)
  freq       n/a (capture too short for its tone: 12 periods needed) n/a (capture too short for its tone: 12 periods needed)
  thd        n/a (capture too short for its tone: 12 periods needed) n/a (capture too short for its tone: 12 periods needed)
  thdn       n/a (capture too short for its tone: 12 periods needed) n/a (capture too short for its tone: 12 periods needed)
  snr        n/a (capture too short for its tone: 12 periods needed) n/a (capture too short for its tone: 12 periods needed)
  noise      n/a (capture too short for its tone: 12 periods needed) n/a (capture too short for its tone: 12 periods needed)
  dr         n/a (capture too short for its tone: 12 periods needed)
Channel 1: sine.raw (16384 samples, 16 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.004 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 1024
  dc         0.0000 %                   0.0000 % at sample 0
  freq       996.0937 Hz                996.0937 Hz at sample 1024
  thd        -202.75 dB (7.29e-09 %)    -206.45 dB (4.76e-09 %) at sample 1024
  thdn       -188.40 dB (3.8e-08 %)     -189.09 dB (3.51e-08 %) at sample 1024
  snr        188.38 dB                  189.17 dB at sample 1024
  noise      -194.40 dBFS               -195.09 dBFS at sample 1024
  dr         n/a (tone at -6.0 dBFS, not within -70 to -50 dBFS)
  crosstalk  n/a (no tone on the driven channel)
Limits:
  channel 1   crosstalk<=-60           n/a (no tone on the driven channel) FAIL
Verdict: FAIL, 1 of 1 limits fail.
[1]
# A name reaches the JSON byte for byte but for quotes, backslashes and
# control characters (DEL here), which are escaped.
$ veskgen sine --block 4096 --blocks 2 'a~"\b.raw'
a~"\b.raw: 996.094 Hz at -6.00 dBFS, crest factor 3.01 dB, 2 blocks of 4096 samples at 48000 Hz
$ veskmeasure --json - 'a~"\b.raw'
{
  "tool": "veskmeasure",
  "version": "2018.03.30",
  "rate_hz": 48000,
  "window_samples": 1024,
  "band_hz": [20, 20000],
  "spectrum_samples": [4096],
  "bin_hz": [11.7188],
  "references": [],
  "latency_range_samples": 65536,
  "weighting": "none",
  "verdict": "PASS",
  "limits_failed": 0,
  "channels": [
    {
      "channel": 0,
      "files": "a~\"\\\u007fb.raw",
      "samples": 8192,
      "windows": 8,
      "figures": {
        "level": {"unit": "dBFS", "whole": -6.000, "worst": -6.004, "worst_at": 0},
        "peak": {"unit": "dBFS", "whole": -6.000, "worst": -6.000, "worst_at": 1024},
        "dc": {"unit": "%", "whole": 0.0000, "worst": 0.0000, "worst_at": 0},
        "freq": {"unit": "Hz", "whole": 996.0937, "worst": 996.0937, "worst_at": 1024},
        "thd": {"unit": "dB", "whole": -199.14, "whole_percent": 1.105e-08, "worst": -206.45, "worst_percent": 4.76e-09, "worst_at": 1024},
        "thdn": {"unit": "dB", "whole": -186.86, "whole_percent": 4.539e-08, "worst": -189.09, "worst_percent": 3.51e-08, "worst_at": 1024},
        "snr": {"unit": "dB", "whole": 186.93, "worst": 189.17, "worst_at": 1024},
        "noise": {"unit": "dBFS", "whole": -192.86, "worst": -195.09, "worst_at": 1024},
        "dr": {"unit": "dB", "whole": null, "whole_reason": "tone at -6.0 dBFS, not within -70 to -50 dBFS"}
      },
      "limits": []
    }
  ]
}
# Tones on neighbouring bins leave no bin for tdn; a band without a tone
# has no flatness; a channel that only listens while no stimulus is found
# has no crosstalk.
$ veskgen multitone --tones 5 --from 3000 --to 6000 --block 64 near
near: 5 tones from 3000.000 Hz to 6000.000 Hz at -18.99 dBFS each (-12.00 dBFS in all), crest factor 4.67 dB, 1 block of 64 samples at 48000 Hz
$ veskgen multitone --tones 5 --from 3000 --to 6000 --block 64 --blocks 32 near-cap
near-cap: 5 tones from 3000.000 Hz to 6000.000 Hz at -18.99 dBFS each (-12.00 dBFS in all), crest factor 4.67 dB, 32 blocks of 64 samples at 48000 Hz
$ veskgen sine --block 64 --blocks 32 sine64.raw
sine64.raw: 750.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 32 blocks of 64 samples at 48000 Hz
$ veskmeasure --reference near --limit tdn<=-60 --limit flatness[21000:22000]<=1 near-cap
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 1024 samples
Band: 20 Hz to 20 kHz
Spectrum: 1024 samples, 46.88 Hz bins
Reference: near
Latency range: 65536 samples either way
Weighting: none
Channel 0: near-cap (2048 samples, 2 windows)
  figure     whole capture              worst window
  level      -12.000 dBFS               -12.000 dBFS at sample 0
  peak       -10.341 dBFS               -10.341 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       n/a (a multitone)          n/a (a multitone)
  thd        n/a (a multitone)          n/a (a multitone)
  thdn       n/a (a multitone)          n/a (a multitone)
  snr        n/a (a multitone)          n/a (a multitone)
  noise      n/a (a multitone)          n/a (a multitone)
  dr         n/a (a multitone)
Multitone: blocks of 64 samples (750.000 Hz per bin), 5 tones in all
Channel 0: 31 blocks averaged from sample 64, latency 0 samples, tdn n/a (no bin between the tones), flatness 0.000 dB
  response relative to 3000.000 Hz
     freq (Hz)  gain (dB)  response (dB)  phase (deg)
      3000.000      0.000          0.000         0.00
      3750.000      0.000          0.000         0.00
      4500.000      0.000          0.000         0.00
      5250.000      0.000          0.000         0.00
      6000.000      0.000          0.000         0.00
Crosstalk (dB): input by row, stimulus by column; < marks a pair below the floor
               0
     0         -
Limits:
  channel 0   tdn<=-60                 n/a (no bin between the tones) FAIL
  channel 0   flatness[21000:22000]<=1 n/a (a tone in the band below the floor, or none there) FAIL
Verdict: FAIL, 2 of 2 limits fail.
[1]
$ veskmeasure --json - --reference near near-cap
{
  "tool": "veskmeasure",
  "version": "2018.03.30",
  "rate_hz": 48000,
  "window_samples": 1024,
  "band_hz": [20, 20000],
  "spectrum_samples": [1024],
  "bin_hz": [46.875],
  "references": ["near"],
  "latency_range_samples": 65536,
  "weighting": "none",
  "verdict": "PASS",
  "limits_failed": 0,
  "channels": [
    {
      "channel": 0,
      "files": "near-cap",
      "samples": 2048,
      "windows": 2,
      "figures": {
        "level": {"unit": "dBFS", "whole": -12.000, "worst": -12.000, "worst_at": 0},
        "peak": {"unit": "dBFS", "whole": -10.341, "worst": -10.341, "worst_at": 0},
        "dc": {"unit": "%", "whole": 0.0000, "worst": 0.0000, "worst_at": 0},
        "freq": {"unit": "Hz", "whole": null, "whole_reason": "a multitone", "worst": null, "worst_reason": "a multitone", "worst_at": null},
        "thd": {"unit": "dB", "whole": null, "whole_reason": "a multitone", "whole_percent": null, "worst": null, "worst_reason": "a multitone", "worst_percent": null, "worst_at": null},
        "thdn": {"unit": "dB", "whole": null, "whole_reason": "a multitone", "whole_percent": null, "worst": null, "worst_reason": "a multitone", "worst_percent": null, "worst_at": null},
        "snr": {"unit": "dB", "whole": null, "whole_reason": "a multitone", "worst": null, "worst_reason": "a multitone", "worst_at": null},
        "noise": {"unit": "dBFS", "whole": null, "whole_reason": "a multitone", "worst": null, "worst_reason": "a multitone", "worst_at": null},
        "dr": {"unit": "dB", "whole": null, "whole_reason": "a multitone"}
      },
      "limits": []
    }
  ],
  "limits": [],
  "multitone": {
    "block_samples": 64,
    "bin_hz": 750.000000,
    "tones": 5,
    "channels": [
      {"channel": 0, "reason": null, "blocks": 31, "first_sample": 64, "latency": 0, "latency_reason": null, "tdn_db": null, "tdn_reason": "no bin between the tones", "flatness_db": 0.000, "flatness_reason": null, "response_relative_to_hz": 3000.000,
       "freq_hz": [3000.000, 3750.000, 4500.000, 5250.000, 6000.000],
       "gain_db": [0.000, 0.000, 0.000, 0.000, 0.000],
       "response_db": [0.000, 0.000, 0.000, 0.000, 0.000],
       "phase_deg": [0.00, 0.00, 0.00, 0.00, 0.00]}
    ],
    "gain_match_db": null,
    "phase_match_deg": null,
    "match_reason": "no tone common to two channels",
    "crosstalk_db": [[null]],
    "crosstalk_below_floor": [[false]]
  }
}
$ veskmeasure --driven 0 --reference near --limit crosstalk<=-60 --limit latency=0 sine64.raw near-cap
Version: veskmeasure 2018.03.30
Rate: 48000 Hz, window 1024 samples
Band: 20 Hz to 20 kHz
Spectrum: 1024 samples, 46.88 Hz bins
Reference: near
Latency range: 65536 samples either way
Weighting: none
Channel 0: sine64.raw (2048 samples, 2 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.000 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       n/a (a multitone)          n/a (a multitone)
  thd        n/a (a multitone)          n/a (a multitone)
  thdn       n/a (a multitone)          n/a (a multitone)
  snr        n/a (a multitone)          n/a (a multitone)
  noise      n/a (a multitone)          n/a (a multitone)
  dr         n/a (a multitone)
Channel 1: near-cap (2048 samples, 2 windows)
  figure     whole capture              worst window
  level      -12.000 dBFS               -12.000 dBFS at sample 0
  peak       -10.341 dBFS               -10.341 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       n/a (a multitone)          n/a (a multitone)
  thd        n/a (a multitone)          n/a (a multitone)
  thdn       n/a (a multitone)          n/a (a multitone)
  snr        n/a (a multitone)          n/a (a multitone)
  noise      n/a (a multitone)          n/a (a multitone)
  dr         n/a (a multitone)
Multitone: blocks of 64 samples (750.000 Hz per bin), 5 tones in all
Channel 0: n/a (no stimulus found)
Channel 1: n/a (no stimulus found on any channel)
Crosstalk (dB): input by row, stimulus by column; < marks a pair below the floor
               0         1
     0         -         -
     1       n/a         -
Limits:
  channel 0   latency=0                n/a (no stimulus found)  FAIL
  channel 1   crosstalk<=-60 from 0    n/a (no stimulus found on any channel) FAIL
Verdict: FAIL, 2 of 2 limits fail.
[1]
