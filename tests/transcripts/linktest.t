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
  $ cli sweep --channel D --generator prbs7 --from 0xB --csv
  gain,link0,link1,link2,saturated0,saturated1,saturated2,best
  11,[1-9]\d*,[1-9]\d*,[1-9]\d*,0,0,0,0 (re)
  12,\d+,\d+,\d+,0,0,0,0 (re)
  13,0,0,0,0,0,0,0
  14,0,0,0,0,0,0,1
  15,0,0,0,0,0,0,0

A failure mid-sweep: the rows so far, and one line with the status of its
kind and what went back. Each register the sweep changed is written back
while the board takes requests; after one it refused, none is tried.

  $ cli --demo-fault gone@8 --trace t sweep --channel B --generator prbs7 --from 6 --to 8
  gain  link 0  link 1  link 2
   0x6       0       0       0
  qdm7720a-cli: read of the error counters 0x0A to 0x0C at 0x48: board 0 is gone: No such device; register 0x07 not restored to 0xCC (board gone; it holds 0x7C), register 0x09 not restored to 0x00 (board gone; it holds 0x05), register 0x02 not restored to 0x0C (board gone; it holds 0x01)
  [3]
  $ grep -c out t
  8
  $ cli --demo-fault nak@10 --trace t sweep --channel B --generator prbs7 --from 6 --to 8 --apply > /dev/null
  qdm7720a-cli: write of register 0x07 at 0x48: not acknowledged (status 0x01); register 0x07 not restored to 0xCC (not acknowledged; it holds 0x7C), register 0x09 not restored to 0x00 (not acknowledged; it holds 0x05), register 0x02 not restored to 0x0C (not acknowledged; it holds 0x01)
  [1]
  $ grep '^#' t | tail -3
  # I2C write 0x48 reg 0x07: CC, not acknowledged (status 0x01)
  # I2C write 0x48 reg 0x09: 00, not acknowledged (status 0x01)
  # I2C write 0x48 reg 0x02: 0C, not acknowledged (status 0x01)

A best gain the chip does not take: the value before is tried, and what the
chip holds is said.

  $ cli --demo-fault nak@13 sweep --channel B --generator prbs7 --from 6 --to 8 --apply > /dev/null
  qdm7720a-cli: write of the best gain 0x7C to register 0x07 at 0x48: not acknowledged (status 0x01); register 0x07 not restored to 0xCC (not acknowledged; it holds 0x8C), best gain 0x7C not applied (not acknowledged), register 0x09 not restored to 0x00 (not acknowledged; it holds 0x05), register 0x02 not restored to 0x0C (not acknowledged; it holds 0x01)
  [1]

An error count: the channel's gain 0xC lies far outside cable A's clean
gains, so every counter saturates ("+", at least 255); with the generator as
it is (off) nothing flows and nothing counts. A run lasts whole intervals,
at least the seconds asked for; one that fails at its start counts nothing.

  $ cli prbs --seconds 1 --interval 400 --generator prbs7
  seconds  link 0  link 1  link 2
    0.400    255+    255+    255+
    0.800    255+    255+    255+
    1.200    255+    255+    255+
    total    765+    765+    765+
  $ cli --json prbs --seconds 1 | tr -d ' \n' | grep -oE '"(complete|totals)":[^"]*'
  "complete":true,
  "totals":[0,0,0]}
  $ cli --demo-fault nak prbs
  seconds  link 0  link 1  link 2
  qdm7720a-cli: read of registers 0x02 to 0x09 at 0x48: not acknowledged (status 0x01); no register changed
  [1]

Ctrl+C (SIGINT) stops a run between two steps: the rows so far, the registers
put back, status 130 (SIGTERM: 143; SIGHUP, a terminal or ssh session closed: 129).

  $ timeout --preserve-status -s INT 1 qdm7720a-cli --demo --demo-address 0x48 --address 0x48 --trace t prbs --generator prbs7 --interval 100 > out
  qdm7720a-cli: prbs stopped by SIGINT after * of 100 intervals; register 0x09 restored (glob)
  [130]
  $ head -2 out; grep -o 'write.*' t
  seconds  link 0  link 1  link 2
    0.100    255+    255+    255+
  write 0x48 reg 0x09: 05, acknowledged
  write 0x48 reg 0x09: 00, acknowledged
  $ timeout --preserve-status -s HUP 1 qdm7720a-cli --demo --demo-address 0x48 --address 0x48 sweep --channel B --from 5 --to 5 --dwell 3000 > /dev/null
  qdm7720a-cli: sweep stopped by SIGHUP during its only gain; register 0x07 restored, register 0x09 restored, register 0x02 restored
  [129]

A sweep needs its channel, and its gains make a range.

  $ cli sweep --generator prbs7
  qdm7720a-cli: sweep takes --channel A, B, C or D. See --help.
  [2]
  $ cli sweep --channel A --from 9 --to 3
  qdm7720a-cli: --from 0x9 lies above --to 0x3. See --help.
  [2]
