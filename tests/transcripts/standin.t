The command-line tool on the real USB path, hidapi being the stand-in of the
tests, whose board carries its chip at 7-bit address 0x48 (address byte 0x90).

  $ export QDM_STANDIN_ADDRESS=0x48
  $ cli() { LD_PRELOAD=$QDM_HIDSTANDIN qdm7720a-cli --address 0x48 --timeout-ms 200 "$@"; }
  $ meanings() { grep '^#' | sed -E 's/: (..) .* (..(, acknowledged)?)$/: \1 .. \2/'; }

Two boards among other HID devices: each listed once, with its firmware.

  $ QDM_STANDIN_BOARDS=2 QDM_STANDIN_OTHERS=09AA:1234,1234:2007 cli list
  0  sim:board0  serial SIM0000  firmware 2.0 2010-01-15
  1  sim:board1  serial SIM0001  firmware 2.0 2010-01-15

Spans past one transfer, 62 registers a read.

  $ cli --trace - dump --all 2>&1 >/dev/null | meanings
  # I2C read 0x48 reg 0x00 count 62: 31 .. 00, acknowledged
  # I2C read 0x48 reg 0x3E count 62: 00 .. 00, acknowledged
  # I2C read 0x48 reg 0x7C count 62: 00 .. 00, acknowledged
  # I2C read 0x48 reg 0xBA count 62: 00 .. 00, acknowledged
  # I2C read 0x48 reg 0xF8 count 8: 00 .. 00, acknowledged

A report that follows every answer is drained before the next exchange.

  $ diff <(cli dump --all) <(QDM_STANDIN_FAULTS=stale cli dump --all) && echo same
  same
  $ QDM_STANDIN_FAULTS=stale cli --trace - read 0 100 2>&1 >/dev/null | grep -v '^#' | cut -d' ' -f2-6
  out 0 00 02 3E
  in 0 00 00 31
  in 0 00 00 EE
  out 0 00 02 26
  in 0 00 00 00

Pulled out in the middle: one line and status 3 (each failure of the
transport itself: tst_hidapi).

  $ QDM_STANDIN_FAULTS=unplug@3 cli dump --all
  qdm7720a-cli: read of registers 0x00 to 0xFF at 0x48: board 0 is gone: No such device
  [3]
