# A multitone on two channels: each channel's file and line, and the whole
# description (a phase that rounds to zero is 0.0000, never -0.0000).
$ veskgen multitone --tones 4 --from 1000 --to 8000 --level -20 --block 64 --blocks 3 --channels 2 --distinct --describe d.json ms
ms.0: 4 tones from 750.000 Hz to 6000.000 Hz at -20.00 dBFS each (-13.98 dBFS in all), crest factor 5.18 dB, 3 blocks of 64 samples at 48000 Hz
ms.1: 4 tones from 1500.000 Hz to 8250.000 Hz at -20.00 dBFS each (-13.98 dBFS in all), crest factor 6.96 dB, 3 blocks of 64 samples at 48000 Hz
$ ls
d.json
ms.0
ms.1
$ cat d.json
{
  "rate": 48000,
  "block": 64,
  "blocks": 3,
  "channels": [
    {
      "file": "ms.0",
      "total_level_dbfs": -13.9794,
      "crest_factor_db": 5.1831,
      "bins": [1, 3, 5, 8],
      "freq_hz": [750.000000, 2250.000000, 3750.000000, 6000.000000],
      "level_dbfs": [-20.0000, -20.0000, -20.0000, -20.0000],
      "phase_deg": [-13.5441, -104.0360, 32.9893, 0.0397]
    },
    {
      "file": "ms.1",
      "total_level_dbfs": -13.9794,
      "crest_factor_db": 6.9611,
      "bins": [2, 4, 6, 11],
      "freq_hz": [1500.000000, 3000.000000, 4500.000000, 8250.000000],
      "level_dbfs": [-20.0000, -20.0000, -20.0000, -20.0000],
      "phase_deg": [0.0000, -90.0000, 0.0000, -45.0000]
    }
  ]
}
# Crowded low tones: the seventh leaves bin 8, the octave of the fourth, for
# the free bin beside the sixth.
$ veskgen multitone --tones 8 --from 20 --to 15000 --block 64 --describe crowded.json crowded
crowded: 8 tones from 750.000 Hz to 15000.000 Hz at -21.03 dBFS each (-12.00 dBFS in all), crest factor 3.77 dB, 1 block of 64 samples at 48000 Hz
$ cat crowded.json
{
  "rate": 48000,
  "block": 64,
  "blocks": 1,
  "channels": [
    {
      "file": "crowded",
      "total_level_dbfs": -12.0000,
      "crest_factor_db": 3.7737,
      "bins": [1, 2, 3, 4, 5, 6, 7, 20],
      "freq_hz": [750.000000, 1500.000000, 2250.000000, 3000.000000, 3750.000000, 4500.000000, 5250.000000, 15000.000000],
      "level_dbfs": [-21.0309, -21.0309, -21.0309, -21.0309, -21.0309, -21.0309, -21.0309, -21.0309],
      "phase_deg": [0.1417, -40.1623, -93.3045, 78.0709, 33.3682, 143.7534, -62.3972, 154.0337]
    }
  ]
}
