The chip controls at 0x48 (address byte 0x90). `st`: the status and all said.

  $ cli() { qdm7720a-cli --demo --demo-address 0x48 --address 0x48 "$@"; }
  $ st() { said=$("$@" 2>&1); echo "$? $said"; }
  $ json() { python3 -c 'import json, sys; print(json.dumps(json.load(sys.stdin), separators=(",", ":")))'; }

  $ for mode in a hardware; do cli channel $mode; done
  A (0x00)
  hardware (0x08)
  $ cli --json --trace - channel auto 2>trace | json && grep '^#' trace
  {"address":72,"addressByte":144,"channel":"auto","exitStatus":0,"value":4}
  # I2C write 0x48 reg 0x02: 04, acknowledged
  # I2C read 0x48 reg 0x02 count 1: 04, acknowledged
  $ st cli channel X
  2 qdm7720a-cli: channel takes A, B, C, D, auto or hardware, not 'X'. See --help.

  $ cli --trace - recal 2>&1 | grep '^#'
  # I2C read 0x48 reg 0x03 count 1: 12, acknowledged
  # I2C write 0x48 reg 0x03: 92, acknowledged
  # I2C write 0x48 reg 0x03: 12, acknowledged

  $ for fault in nak gone silent; do
  >   for command in channel 'channel B' recal; do st cli --timeout-ms 20 --demo-fault $fault $command; done
  > done
  1 qdm7720a-cli: read of register 0x02 at 0x48: not acknowledged (status 0x01)
  1 qdm7720a-cli: write of register 0x02 at 0x48: not acknowledged (status 0x01)
  1 qdm7720a-cli: read of register 0x03 at 0x48: not acknowledged (status 0x01)
  3 qdm7720a-cli: read of register 0x02 at 0x48: board 0 is gone: No such device
  3 qdm7720a-cli: write of register 0x02 at 0x48: board 0 is gone: No such device
  3 qdm7720a-cli: read of register 0x03 at 0x48: board 0 is gone: No such device
  4 qdm7720a-cli: read of register 0x02 at 0x48: no answer from board 0 within 20 ms
  4 qdm7720a-cli: write of register 0x02 at 0x48: no answer from board 0 within 20 ms
  4 qdm7720a-cli: read of register 0x03 at 0x48: no answer from board 0 within 20 ms
  $ for fault in nak@2 short@2 gone@3; do st cli --demo-fault $fault recal; done
  1 qdm7720a-cli: re-calibration: a write of register 0x03 at 0x48 (its bit 7 may be left set): not acknowledged (status 0x01)
  4 qdm7720a-cli: re-calibration: a write of register 0x03 at 0x48 (its bit 7 may be left set): no answer from board 0: only 16 of 64 bytes came in
  3 qdm7720a-cli: re-calibration: a write of register 0x03 at 0x48 (its bit 7 may be left set): board 0 is gone: No such device
  $ for fault in nak@2 gone@2; do st cli --demo-fault $fault channel B; done
  1 qdm7720a-cli: read-back of register 0x02 at 0x48: not acknowledged (status 0x01)
  3 qdm7720a-cli: read-back of register 0x02 at 0x48: board 0 is gone: No such device
