The link test on the demo board, its chip at 7-bit address 0x48 (address
byte 0x90). The simulated cables carry PRBS7 cleanly at gains 0x1-0x5 (A),
0x5-0x9 (B), 0x9-0xB (C) and 0xD-0xF (D), with errors rising on both sides.

  $ cli() { qdm7720a-cli --demo --demo-address 0x48 --address 0x48 "$@"; }

A sweep prints each gain as it is measured and the best gain with its clean
window; with --apply the gain register keeps it, and every other register
the sweep wrote goes back, one byte a write.

  $ cli --trace t sweep --channel B --generator prbs7 --from 4 --to 0xA --apply
  gain  link 0  link 1  link 2
   0x4       \d       \d       \d (re)
   0x5       0       0       0
   0x6       0       0       0
   0x7       0       0       0
   0x8       0       0       0
   0x9       0       0       0
   0xA       \d       \d       \d (re)
  best gain 0x7 (no errors from 0x5 to 0x9: 5 gains wide, margin 2 steps)
  applied: register 0x07 = 0x7C
  $ grep -o 'write.*' t | uniq -c | sed 's/^ *//'
  1 write 0x48 reg 0x02: 01, acknowledged
  1 write 0x48 reg 0x09: 05, acknowledged
  1 write 0x48 reg 0x07: 4C, acknowledged
  1 write 0x48 reg 0x07: 5C, acknowledged
  1 write 0x48 reg 0x07: 6C, acknowledged
  1 write 0x48 reg 0x07: 7C, acknowledged
  1 write 0x48 reg 0x07: 8C, acknowledged
  1 write 0x48 reg 0x07: 9C, acknowledged
  1 write 0x48 reg 0x07: AC, acknowledged
  1 write 0x48 reg 0x07: 7C, acknowledged
  1 write 0x48 reg 0x09: 00, acknowledged
  1 write 0x48 reg 0x02: 0C, acknowledged

A clean window the range cuts is said to be one; CSV and JSON carry what was
run on which board, the measured dwells, the window and what went back.

  $ cli sweep --channel B --generator prbs7 --from 4 --to 6 | tail -1
  best gain 0x5 (no errors from 0x5 to 0x6: 2 gains wide, margin 0 steps; it reaches the range's edge at 0x6 and may run further)
  $ cli sweep --channel D --generator prbs7 --from 0xC --csv --settle 5 --tmds-clock 148.5M
  # program,qdm7720a-cli 2.0.0
  # test,sweep
  # start,20\d\d-\d\d-\d\dT\d\d:\d\d:\d\d(Z|[-+]\d\d:\d\d) (re)
  # board serial,SIM0000
  # address,0x48
  # address byte,0x90
  # channel,D
  # generator,prbs7
  # dwell ms,100
  # settle ms,5
  # bit rate,1485000000
  # confidence,0.95
  gain,link0,link1,link2,saturated0,saturated1,saturated2,seconds,bits,ber0,ber1,ber2,best
  12,\d,\d+,\d,0,0,0,0.1\d\d,1.\d+e\+08(,\d.\d\de-08){3},0 (re)
  13,0,0,0,0,0,0,0.1\d\d,1.\d+e\+08(,\d.\d\de-08){3},0 (re)
  14,0,0,0,0,0,0,0.1\d\d,1.\d+e\+08(,\d.\d\de-08){3},1 (re)
  15,0,0,0,0,0,0,0.1\d\d,1.\d+e\+08(,\d.\d\de-08){3},0 (re)
  # complete,yes
  # best gain,0xE
  # clean window,no errors from 0xD to 0xF: 3 gains wide, margin 1 step
  # restore,register 0x08 restored
  # restore,register 0x09 restored
  # restore,register 0x02 restored
  $ cli --json sweep --channel B --generator prbs7 --from 6 --to 9 | tr -d ' \n' | grep -oE '"(bestGain|cleanWindow)":([0-9]+|\{[^}]*)'
  "bestGain":7
  "cleanWindow":{"cut":true,"first":6,"last":9,"margin":1,"width":4

No best gain where the counts cannot say one: saturated counts cannot be
ranked, and a link with no clock on its channel (Channel Activity, 0x01)
checks nothing, pattern or none. Status 1, and nothing is applied.

  $ cli --trace t sweep --channel D --generator prbs7 --to 2 --dwell 50 --apply
  gain  link 0  link 1  link 2
   0x0\s+\d+\+\s+\d+\+\s+\d+\+ (re)
   0x1\s+\d+\+\s+\d+\+\s+\d+\+ (re)
   0x2\s+\d+\+\s+\d+\+\s+\d+\+ (re)
  no best gain: no gain is clean and the fewest errors are a saturated count, which cannot be ranked
  qdm7720a-cli: sweep: no best gain: no gain is clean and the fewest errors are a saturated count, which cannot be ranked, nothing applied; register 0x08 restored, register 0x09 restored, register 0x02 restored
  [1]
  $ grep -o 'write.*reg 0x08.*' t | tail -1
  write 0x48 reg 0x08: CC, acknowledged
  $ cli sweep --channel A --apply
  gain  link 0  link 1  link 2
  qdm7720a-cli: sweep stopped: channel A shows no clock in register 0x01 (Channel Activity): nothing is checked; register 0x07 restored, register 0x09 restored, register 0x02 restored
  [1]

A failure mid-sweep: the rows so far, and one line with the status of its
kind and what went back. Each register the sweep changed is written back
while the board takes requests; after one it refused, none is tried. (A
dwell of 20 ms is counted by one read: each gain writes its gain, reads
the counters to clear them and reads them once more; before the first,
the run reads 0x02 to 0x09, writes 0x02 and 0x09 and reads 0x01.)

  $ cli --demo-fault gone@9 --trace t sweep --channel B --generator prbs7 --from 6 --to 8 --dwell 20
  gain  link 0  link 1  link 2
   0x6       0       0       0
  qdm7720a-cli: read of the error counters 0x0A to 0x0C at 0x48: board 0 is gone: No such device; register 0x07 not restored to 0xCC (board gone; it holds 0x7C), register 0x09 not restored to 0x00 (board gone; it holds 0x05), register 0x02 not restored to 0x0C (board gone; it holds 0x01)
  [3]
  $ grep -c out t
  9
  $ cli --demo-fault nak@8 --trace t sweep --channel B --generator prbs7 --from 6 --to 8 --dwell 20 --apply > /dev/null
  qdm7720a-cli: write of register 0x07 at 0x48: not acknowledged (status 0x01); register 0x07 not restored to 0xCC (not acknowledged; it holds 0x6C), register 0x09 not restored to 0x00 (not acknowledged; it holds 0x05), register 0x02 not restored to 0x0C (not acknowledged; it holds 0x01)
  [1]
  $ grep '^#' t | tail -3
  # I2C write 0x48 reg 0x07: CC, not acknowledged (status 0x01)
  # I2C write 0x48 reg 0x09: 00, not acknowledged (status 0x01)
  # I2C write 0x48 reg 0x02: 0C, not acknowledged (status 0x01)

A best gain the chip does not take: the value before is tried, and what the
chip holds is said.

  $ cli --demo-fault nak@14 sweep --channel B --generator prbs7 --from 6 --to 8 --dwell 20 --apply > /dev/null
  qdm7720a-cli: write of the best gain 0x7C to register 0x07 at 0x48: not acknowledged (status 0x01); register 0x07 not restored to 0xCC (not acknowledged; it holds 0x8C), best gain 0x7C not applied (not acknowledged), register 0x09 not restored to 0x00 (not acknowledged; it holds 0x05), register 0x02 not restored to 0x0C (not acknowledged; it holds 0x01)
  [1]

An error count reads the counters often enough that none saturates: two
gains from its clean ones, B counts about 400 a second on link 0. Its times
are measured, and it counts the seconds asked for, the last interval cut
short. Far outside the clean gains even the fastest reads saturate ("+", at
least), and the BER is bounded from below only (">"); totals keep the mark.

  $ cli prbs --channel B --gain 3 --generator prbs7 --seconds 1 --interval 3000
  seconds  link 0  link 1  link 2
  \s+1.0\d\d\s+\d{3}\s+\d{3}\s+\d{3} (re)
  \s+total\s+\d{3}\s+\d{3}\s+\d{3} (re)
  $ cli prbs --generator prbs7 --seconds 1 --interval 400 --bit-rate 1.485G --confidence 99%
  seconds  link 0  link 1  link 2  bits/link      BER 0      BER 1      BER 2
  \s+0.4\d\d(\s+\d+\+){3}\s+\d.\d\de\+08(\s+>\d.\d\de-0\d){3} (re)
  \s+0.8\d\d(\s+\d+\+){3}\s+\d.\d\de\+08(\s+>\d.\d\de-0\d){3} (re)
  \s+1.0\d\d(\s+\d+\+){3}\s+\d.\d\de\+08(\s+>\d.\d\de-0\d){3} (re)
  \s+total(\s+\d+\+){3}\s+1.\d\de\+09(\s+>\d.\d\de-0\d){3} (re)
  BER bounds at 99 % confidence, 1.485e+09 bits a second a link (<: at most; >: at least, a counter having saturated)
  $ cli --json prbs --generator prbs7 --seconds 1 | tr -d ' \n' | grep -oE '"(total|totals)":[^]]*]'
  "total":\{"duration":1(\.\d+)?,"errors":\[\d+,\d+,\d+\] (re)
  "totals":\[\d+,\d+,\d+\] (re)
  $ cli --json prbs --generator prbs7 --seconds 1 | tr -d ' \n' | grep -oE '"saturated":[^]]*]' | tail -1
  "saturated":[true,true,true]
  $ cli --demo-fault nak prbs
  seconds  link 0  link 1  link 2
  qdm7720a-cli: read of registers 0x02 to 0x09 at 0x48: not acknowledged (status 0x01); no register changed
  [1]
  $ cli prbs
  seconds  link 0  link 1  link 2
  qdm7720a-cli: prbs stopped: no input channel shows a clock in register 0x01 (Channel Activity): nothing is checked; register 0x09 restored
  [1]

A run to a BER target takes the time the statistics need: 1e-9 at 95 %
confidence at 1.485 Gb/s is met after 2.017 s of error-free bits; errors
that prove the bound above the target end it at once, status 1.

  $ cli prbs --channel B --gain 7 --generator prbs7 --ber 1e-9 --bit-rate 1.485G | tail -1
  BER at most 1.00e-09 on every link at 95 % confidence: met after 2.0\d\d s (re)
  $ cli prbs --channel B --gain 4 --generator prbs7 --ber 1e-9 --tmds-clock 148.5M > /dev/null
  qdm7720a-cli: prbs: BER at most 1.00e-09 on every link at 95 % confidence: missed, link \d is above it \(at least \d.\d\de-0\d\); register 0x07 restored, register 0x09 restored, register 0x02 restored (re)
  [1]

Ctrl+C (SIGINT) stops a run between two steps: the rows so far, the registers
put back, status 130 (SIGTERM: 143; SIGHUP, a terminal or ssh session closed:
129). It also cuts short a wait for an answer that does not come.

  $ timeout --preserve-status -s INT 1 qdm7720a-cli --demo --demo-address 0x48 --address 0x48 --trace t prbs --generator prbs7 --interval 100 > out
  qdm7720a-cli: prbs stopped by SIGINT after * of 100 intervals; register 0x09 restored (glob)
  [130]
  $ head -2 out; grep -o 'write.*' t
  seconds  link 0  link 1  link 2
  \s+0.1\d\d(\s+\d+\+){3} (re)
  write 0x48 reg 0x09: 05, acknowledged
  write 0x48 reg 0x09: 00, acknowledged
  $ timeout --preserve-status -s HUP 1 qdm7720a-cli --demo --demo-address 0x48 --address 0x48 sweep --channel B --generator prbs7 --from 5 --to 5 --dwell 3000 > /dev/null
  qdm7720a-cli: sweep stopped by SIGHUP during its only gain; register 0x07 restored, register 0x09 restored, register 0x02 restored
  [129]
  $ timeout -s KILL 6 timeout --preserve-status -s INT 1 qdm7720a-cli --demo --demo-fault silent@3 --timeout-ms 60000 prbs --generator prbs7 > /dev/null
  qdm7720a-cli: prbs stopped by SIGINT while waiting for the answer to the read of register 0x01 at 0x40; register 0x09 not restored to 0x00 (no answer; what it holds is not known)
  [130]

A sweep needs its channel, and its gains make a range; a BER target needs
the bit rate, and a gain its channel.

  $ cli sweep --generator prbs7
  qdm7720a-cli: sweep takes --channel A, B, C or D. See --help.
  [2]
  $ cli sweep --channel A --from 9 --to 3
  qdm7720a-cli: --from 0x9 lies above --to 0x3. See --help.
  [2]
  $ cli prbs --ber 1e-12
  qdm7720a-cli: --ber needs the bit rate: --bit-rate or --tmds-clock. See --help.
  [2]
  $ cli prbs --gain 3 --bit-rate 3G
  qdm7720a-cli: --gain is a channel's: it needs --channel. See --help.
  [2]
  $ cli sweep --channel A --bit-rate fast
  qdm7720a-cli: --bit-rate takes a rate such as 1.485e9, 1.485G or 148.5M, not 'fast'. See --help.
  [2]
