# How it was measured, where the usual 48 kHz case does not show it: a band
# cut at Nyquist, spectra of two lengths, several references.
$ veskgen sine --rate 32000 --block 16384 --blocks 2 a.raw
a.raw: 1000.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 2 blocks of 16384 samples at 32000 Hz
$ veskgen sine --rate 32000 --block 65536 --blocks 4 b.raw
b.raw: 1000.000 Hz at -6.00 dBFS, crest factor 3.01 dB, 4 blocks of 65536 samples at 32000 Hz
$ veskmeasure --rate 32000 --window 512 --reference a.raw --reference b.raw a.raw b.raw
Version: veskmeasure 2018.03.30
Rate: 32000 Hz, window 512 samples
Band: 20 Hz to 16000 Hz (Nyquist)
Spectrum: channel 0: 16384 samples, 1.953 Hz bins; channel 1: 65536 samples, 0.4883 Hz bins
References: a.raw, b.raw
Latency range: 65536 samples either way
Weighting: none
Channel 0: a.raw (32768 samples, 64 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.000 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       1000.0000 Hz               1000.0000 Hz at sample 512
  thd        -192.82 dB (2.29e-08 %)    -192.82 dB (2.29e-08 %) at sample 0
  thdn       -190.62 dB (2.95e-08 %)    -190.86 dB (2.86e-08 %) at sample 0
  snr        194.61 dB                  195.26 dB at sample 0
  noise      -196.62 dBFS               -196.86 dBFS at sample 0
  dr         n/a (tone at -6.0 dBFS, not within -70 to -50 dBFS)
  latency    n/a (ambiguous: the reference repeats within 65536 samples either way)
  bitexact   n/a (ambiguous: the reference repeats within 65536 samples either way)
Channel 1: b.raw (262144 samples, 512 windows)
  figure     whole capture              worst window
  level      -6.000 dBFS                -6.000 dBFS at sample 0
  peak       -6.000 dBFS                -6.000 dBFS at sample 0
  dc         0.0000 %                   0.0000 % at sample 0
  freq       1000.0000 Hz               1000.0000 Hz at sample 512
  thd        -192.82 dB (2.29e-08 %)    -192.82 dB (2.29e-08 %) at sample 0
  thdn       -190.91 dB (2.85e-08 %)    -190.86 dB (2.86e-08 %) at sample 0
  snr        195.38 dB                  195.26 dB at sample 0
  noise      -196.91 dBFS               -196.86 dBFS at sample 0
  dr         n/a (tone at -6.0 dBFS, not within -70 to -50 dBFS)
  latency    n/a (ambiguous: the reference repeats within 65536 samples either way)
  bitexact   n/a (ambiguous: the reference repeats within 65536 samples either way)
No limits given.
$ veskmeasure --json - --rate 32000 --window 512 --reference a.raw --reference b.raw a.raw b.raw
{
  "tool": "veskmeasure",
  "version": "2018.03.30",
  "rate_hz": 32000,
  "window_samples": 512,
  "band_hz": [20, 16000],
  "spectrum_samples": [16384, 65536],
  "bin_hz": [1.95312, 0.488281],
  "references": ["a.raw", "b.raw"],
  "latency_range_samples": 65536,
  "weighting": "none",
  "verdict": "PASS",
  "limits_failed": 0,
  "channels": [
    {
      "channel": 0,
      "files": "a.raw",
      "samples": 32768,
      "windows": 64,
      "figures": {
        "level": {"unit": "dBFS", "whole": -6.000, "worst": -6.000, "worst_at": 0},
        "peak": {"unit": "dBFS", "whole": -6.000, "worst": -6.000, "worst_at": 0},
        "dc": {"unit": "%", "whole": 0.0000, "worst": 0.0000, "worst_at": 0},
        "freq": {"unit": "Hz", "whole": 1000.0000, "worst": 1000.0000, "worst_at": 512},
        "thd": {"unit": "dB", "whole": -192.82, "whole_percent": 2.285e-08, "worst": -192.82, "worst_percent": 2.285e-08, "worst_at": 0},
        "thdn": {"unit": "dB", "whole": -190.62, "whole_percent": 2.946e-08, "worst": -190.86, "worst_percent": 2.864e-08, "worst_at": 0},
        "snr": {"unit": "dB", "whole": 194.61, "worst": 195.26, "worst_at": 0},
        "noise": {"unit": "dBFS", "whole": -196.62, "worst": -196.86, "worst_at": 0},
        "dr": {"unit": "dB", "whole": null, "whole_reason": "tone at -6.0 dBFS, not within -70 to -50 dBFS"},
        "latency": {"unit": "samples", "whole": null, "whole_reason": "ambiguous: the reference repeats within 65536 samples either way"},
        "bitexact": {"whole": null, "whole_reason": "ambiguous: the reference repeats within 65536 samples either way"}
      },
      "limits": []
    },
    {
      "channel": 1,
      "files": "b.raw",
      "samples": 262144,
      "windows": 512,
      "figures": {
        "level": {"unit": "dBFS", "whole": -6.000, "worst": -6.000, "worst_at": 0},
        "peak": {"unit": "dBFS", "whole": -6.000, "worst": -6.000, "worst_at": 0},
        "dc": {"unit": "%", "whole": 0.0000, "worst": 0.0000, "worst_at": 0},
        "freq": {"unit": "Hz", "whole": 1000.0000, "worst": 1000.0000, "worst_at": 512},
        "thd": {"unit": "dB", "whole": -192.82, "whole_percent": 2.285e-08, "worst": -192.82, "worst_percent": 2.285e-08, "worst_at": 0},
        "thdn": {"unit": "dB", "whole": -190.91, "whole_percent": 2.849e-08, "worst": -190.86, "worst_percent": 2.864e-08, "worst_at": 0},
        "snr": {"unit": "dB", "whole": 195.38, "worst": 195.26, "worst_at": 0},
        "noise": {"unit": "dBFS", "whole": -196.91, "worst": -196.86, "worst_at": 0},
        "dr": {"unit": "dB", "whole": null, "whole_reason": "tone at -6.0 dBFS, not within -70 to -50 dBFS"},
        "latency": {"unit": "samples", "whole": null, "whole_reason": "ambiguous: the reference repeats within 65536 samples either way"},
        "bitexact": {"whole": null, "whole_reason": "ambiguous: the reference repeats within 65536 samples either way"}
      },
      "limits": []
    }
  ]
}
