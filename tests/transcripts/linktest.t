The link test on the demo board, its chip at 7-bit address 0x48 (address
byte 0x90). The simulated cables carry PRBS7 cleanly at gains 0x1-0x5 (A),
0x5-0x9 (B), 0x9-0xB (C) and 0xD-0xF (D), with errors rising on both sides.

  $ cli() { qdm7720a-cli --demo --demo-address 0x48 --address 0x48 "$@"; }

A sweep prints each gain as it is measured and the best gain; with --apply
the gain register keeps it, and every other register the sweep wrote goes
back, one byte a write.

  $ cli --trace t sweep --channel B --generator prbs7 --from 6 --to 8 --apply
  gain  link 0  link 1  link 2
   0x6       0       0       0
   0x7       0       0       0
   0x8       0       0       0
  best gain 0x7 (no errors from 0x6 to 0x8)
  applied: register 0x07 = 0x7C
  $ grep -o 'write.*' t
  write 0x48 reg 0x02: 01, acknowledged
  write 0x48 reg 0x09: 05, acknowledged
  write 0x48 reg 0x07: 6C, acknowledged
  write 0x48 reg 0x07: 7C, acknowledged
  write 0x48 reg 0x07: 8C, acknowledged
  write 0x48 reg 0x07: 7C, acknowledged
  write 0x48 reg 0x09: 00, acknowledged
  write 0x48 reg 0x02: 0C, acknowledged
  $ grep -m1 ' out ' t | cut -d' ' -f4-9
  00 02 08 91 02 00
  $ cli sweep --channel c --generator prbs7 | tail -1
  best gain 0xA (no errors from 0x9 to 0xB)
  $ cli sweep --channel D --generator prbs7 --from 0xE --csv
  gain,link0,link1,link2,saturated0,saturated1,saturated2,best
  14,0,0,0,0,0,0,1
  15,0,0,0,0,0,0,0

An error count: the channel's gain 0xC lies far outside cable A's clean
gains, so every counter saturates ("+", at least 255); with the generator as
it is (off) nothing flows and nothing counts.

  $ cli prbs --seconds 1 --interval 500 --generator prbs7
  seconds  link 0  link 1  link 2
    0.500    255+    255+    255+
    1.000    255+    255+    255+
    total    510+    510+    510+
  $ cli --json prbs --seconds 1 | tr -d ' \n' | grep -oE '"(complete|exitStatus|totals)":[^"]*'
  "complete":true,
  "exitStatus":0,
  "totals":[0,0,0]}

Ctrl+C (SIGINT) stops a run between two steps: the rows so far, the registers
put back, status 130 (SIGTERM: 143).

  $ timeout --preserve-status -s INT 1 qdm7720a-cli --demo --demo-address 0x48 --address 0x48 --trace t prbs --generator prbs7 --interval 100 > out
  qdm7720a-cli: prbs stopped by SIGINT after * of 100 intervals; register 0x09 restored (glob)
  [130]
  $ head -2 out; grep -o 'write.*' t
  seconds  link 0  link 1  link 2
    0.100    255+    255+    255+
  write 0x48 reg 0x09: 05, acknowledged
  write 0x48 reg 0x09: 00, acknowledged

Options belong to their command, and the gains make a range.

  $ cli sweep --generator prbs7
  qdm7720a-cli: sweep takes --channel A, B, C or D. See --help.
  [2]
  $ cli prbs --dwell 5
  qdm7720a-cli: --dwell is an option of sweep. See --help.
  [2]
  $ cli sweep --channel A --from 9 --to 3
  qdm7720a-cli: --from 0x9 lies above --to 0x3. See --help.
  [2]
